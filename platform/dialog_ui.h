// Modal dialogs and their controls, with the window styles, resource
// texts and registered messages that go with windows.  Used on the
// user-interface thread only.
#ifndef BRAMO_PLATFORM_DIALOG_UI_H_
#define BRAMO_PLATFORM_DIALOG_UI_H_

#include <cstdint>
#include <string>

#include "platform/resource_layout.h"
#include "platform/win_types.h"

namespace platform {

class WindowHost;

class DialogUi {
 public:
  virtual ~DialogUi() = default;

  // Runs dialog template `layout.resource_id` modally (the other layers show
  // `layout`), owned by `owner` (0: none), and returns the result given to
  // EndDialog; -1 when the dialog cannot be made.  The host hears
  // OnInitDialog, then:
  //   WM_COMMAND  wparam: control id in the low word, notification
  //               (kBnClicked) in the high word; OK and Cancel are ids 1
  //               and 2;
  //   WM_NOTIFY   wparam: control id; lparam: the notification code
  //               (kNmClick for a click on a link);
  // until it calls EndDialog; then OnDestroy.
  virtual int RunModalDialog(const DialogLayout& layout, WindowHandle owner,
                             WindowHost* host) = 0;
  // Ends the modal dialog once the message being handled returns.
  virtual void EndDialog(WindowHandle dialog, int result) = 0;

  // A control's text, at most `capacity` - 1 bytes (GetDlgItemTextA).
  virtual std::string ControlText(WindowHandle dialog, int id,
                                  size_t capacity) = 0;
  virtual void SetControlText(WindowHandle dialog, int id,
                              const std::string& text) = 0;
  // A button's check state (kBstUnchecked, kBstChecked,
  // kBstIndeterminate).
  virtual int ButtonCheck(WindowHandle dialog, int id) = 0;
  virtual void SetButtonCheck(WindowHandle dialog, int id, int state) = 0;
  // Moves the focus to a control; an edit gets all its text selected.
  virtual void FocusControl(WindowHandle dialog, int id) = 0;

  // Changes a window's extended style: `remove` cleared, `add` set.
  virtual void ModifyExStyle(WindowHandle window, uint32_t remove,
                             uint32_t add) = 0;
  // String resource `id` of the program (LoadStringA into a 256-byte
  // buffer); the other layers answer `text`.  Empty when there is none.
  virtual std::string LoadStringResource(int id, const std::string& text) = 0;
  // RegisterWindowMessageA: the same number for the same name within a
  // session; 0 on failure.
  virtual uint32_t RegisterMessageName(const std::string& name) = 0;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_DIALOG_UI_H_
