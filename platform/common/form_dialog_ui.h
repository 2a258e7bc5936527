// The modal dialogs of the layers that keep a dialog as an in-memory form
// (the fake and the Linux console): the forms open now, by handle, and the
// control calls on them.  A call on a handle that is not open does nothing
// (reads give an empty text and an unchecked button).
#ifndef BRAMO_PLATFORM_COMMON_FORM_DIALOG_UI_H_
#define BRAMO_PLATFORM_COMMON_FORM_DIALOG_UI_H_

#include <map>
#include <string>

#include "platform/common/dialog_form.h"
#include "platform/dialog_ui.h"

namespace platform {

class FormDialogUi : public DialogUi {
 public:
  void EndDialog(WindowHandle dialog, int result) override;
  std::string ControlText(WindowHandle dialog, int id,
                          size_t capacity) override;
  void SetControlText(WindowHandle dialog, int id,
                      const std::string& text) override;
  int ButtonCheck(WindowHandle dialog, int id) override;
  void SetButtonCheck(WindowHandle dialog, int id, int state) override;
  void FocusControl(WindowHandle dialog, int id) override;

 protected:
  // A running dialog's form is open from Open until Close.
  void Open(DialogForm* form) { open_[form->handle()] = form; }
  void Close(const DialogForm& form) { open_.erase(form.handle()); }
  DialogForm* Find(WindowHandle dialog);

 private:
  std::map<WindowHandle, DialogForm*> open_;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_COMMON_FORM_DIALOG_UI_H_
