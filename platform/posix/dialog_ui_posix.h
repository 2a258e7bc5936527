// The Linux console's modal dialogs: an open dialog prints its form (its
// caption, then each control with its identifier and its text, value or
// check state) and takes lines of input in the form of
// platform/common/dialog_form.h, printing the form again after each
// change.  At the end of input, or on a stop signal, it is cancelled.
#ifndef BRAMO_PLATFORM_POSIX_DIALOG_UI_POSIX_H_
#define BRAMO_PLATFORM_POSIX_DIALOG_UI_POSIX_H_

#include <map>
#include <mutex>
#include <string>

#include "platform/common/form_dialog_ui.h"

namespace platform {

class PosixEnv;

class PosixDialogUi : public FormDialogUi {
 public:
  explicit PosixDialogUi(PosixEnv* env) : env_(env) {}

  int RunModalDialog(const DialogLayout& layout, WindowHandle owner,
                     WindowHost* host) override;
  void ModifyExStyle(WindowHandle window, uint32_t remove,
                     uint32_t add) override;
  std::string LoadStringResource(int id, const std::string& text) override;
  uint32_t RegisterMessageName(const std::string& name) override;

 private:
  void PrintForm(const DialogForm& form);

  PosixEnv* env_;
  // Far from the handles of CreateDialogWindow.
  WindowHandle next_ = 0x10000;
  std::mutex messages_mu_;
  std::map<std::string, uint32_t> messages_;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_POSIX_DIALOG_UI_POSIX_H_
