// Modal dialogs on Windows: the program's dialog templates run with
// DialogBoxParamW; control texts are GBK, read and written through the
// wide calls with code page 936.  Link controls need comctl32 version 6,
// which the program's manifest selects.
#ifndef BRAMO_PLATFORM_WIN32_DIALOG_UI_WIN32_H_
#define BRAMO_PLATFORM_WIN32_DIALOG_UI_WIN32_H_

#include "platform/dialog_ui.h"

namespace platform {

class Win32DialogUi : public DialogUi {
 public:
  int RunModalDialog(const DialogLayout& layout, WindowHandle owner,
                     WindowHost* host) override;
  void EndDialog(WindowHandle dialog, int result) override;
  std::string ControlText(WindowHandle dialog, int id,
                          size_t capacity) override;
  void SetControlText(WindowHandle dialog, int id,
                      const std::string& text) override;
  int ButtonCheck(WindowHandle dialog, int id) override;
  void SetButtonCheck(WindowHandle dialog, int id, int state) override;
  void FocusControl(WindowHandle dialog, int id) override;
  void ModifyExStyle(WindowHandle window, uint32_t remove,
                     uint32_t add) override;
  std::string LoadStringResource(int id, const std::string& text) override;
  uint32_t RegisterMessageName(const std::string& name) override;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_WIN32_DIALOG_UI_WIN32_H_
