// The fake's modal dialogs: each runs on the lines of `input`, in the
// console's form (platform/common/dialog_form.h), until it ends; when the
// input runs out it is cancelled, as the console's is at the end of its
// input.  Trace lines:
//   dialog open <resource> | dialog input <line> [(refused)]
//   dialog focus <id> | dialog end <result>
//   exstyle -0x<removed> +0x<added>
// Registered message names are kept in `registered_messages`, untraced.
#ifndef BRAMO_PLATFORM_FAKE_DIALOG_UI_FAKE_H_
#define BRAMO_PLATFORM_FAKE_DIALOG_UI_FAKE_H_

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/common/form_dialog_ui.h"

namespace platform {

class FakeEnv;

class FakeDialogUi : public FormDialogUi {
 public:
  explicit FakeDialogUi(FakeEnv* env) : env_(env) {}

  // ---- Script ------------------------------------------------------------
  std::deque<std::string> input;
  bool creation_fails = false;

  // ---- What happened -----------------------------------------------------
  // The form of every dialog run so far, after its initialisation and
  // after each line of input it took: forms[dialog][moment].
  std::vector<std::vector<std::vector<std::string>>> forms;
  std::map<std::string, uint32_t> registered_messages;

  // ---- DialogUi ----------------------------------------------------------
  int RunModalDialog(const DialogLayout& layout, WindowHandle owner,
                     WindowHost* host) override;
  void FocusControl(WindowHandle dialog, int id) override;
  void ModifyExStyle(WindowHandle window, uint32_t remove,
                     uint32_t add) override;
  std::string LoadStringResource(int id, const std::string& text) override;
  uint32_t RegisterMessageName(const std::string& name) override;

 private:

  FakeEnv* env_;
  WindowHandle next_ = 0x20000;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_FAKE_DIALOG_UI_FAKE_H_
