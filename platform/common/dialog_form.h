// A modal dialog kept in memory, for the layers that have no real ones
// (the Linux console and the fake): the controls of a DialogLayout with
// their texts and check states, the form the console prints, and the
// console's input to an open dialog.
#ifndef BRAMO_PLATFORM_COMMON_DIALOG_FORM_H_
#define BRAMO_PLATFORM_COMMON_DIALOG_FORM_H_

#include <map>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/resource_layout.h"

namespace platform {

class DialogForm {
 public:
  DialogForm(const DialogLayout& layout, WindowHandle handle);

  const DialogLayout& layout() const { return layout_; }
  WindowHandle handle() const { return handle_; }

  // The control `id`; nullptr when the dialog has none.
  const ControlLayout* Control(int id) const;
  // Texts and check states; a control the dialog lacks reads as "" and
  // unchecked, and is not changed.
  std::string Text(int id) const;
  void SetText(int id, const std::string& text);
  int Check(int id) const;
  void SetCheck(int id, int state);
  // A click on an automatic radio button: it is checked, and every other
  // radio button of its group is cleared.
  void ClickRadio(int id);

  void End(int result);
  bool ended() const { return ended_; }
  int result() const { return result_; }
  int focus() const { return focus_; }
  void set_focus(int id) { focus_ = id; }

  // The form: the caption, then one line per control, "<id> <kind>
  // <text>" (id "-" for controls without one); an edit shows its text in
  // quotes, a radio button " [x]" or " [ ]" after its label.
  std::vector<std::string> Lines() const;

 private:
  DialogLayout layout_;
  WindowHandle handle_;
  std::map<int, std::string> texts_;
  std::map<int, int> checks_;
  bool ended_ = false;
  int result_ = 0;
  int focus_ = kNoControlId;
};

enum class FormInput {
  kApplied,  // the dialog heard it (it may have ended)
  kUnknown,  // not a command of the form
  kNoSuchControl,
  kNotEditable,   // ID=TEXT on a control that is not an edit
  kNotClickable,  // ID on a control that cannot be clicked
};

// One line of input to an open dialog, in the console's form:
//   ID=TEXT  sets edit ID to TEXT (as it stands, blanks kept);
//   ID       clicks button, radio button or link ID;
//   ok       clicks OK (1); cancel clicks Cancel (2).
// A click reaches `host` as the platform sends it (WM_COMMAND, or
// WM_NOTIFY with kNmClick for a link).  Blanks around the line are
// ignored except inside TEXT.
FormInput ApplyFormInput(DialogForm& form, WindowHost* host,
                         const std::string& line);

// Sends `host` the click on OK or Cancel, as Enter or Escape would.
void ClickFormButton(DialogForm& form, WindowHost* host, int id);

}  // namespace platform

#endif  // BRAMO_PLATFORM_COMMON_DIALOG_FORM_H_
