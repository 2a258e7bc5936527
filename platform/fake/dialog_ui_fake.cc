#include "platform/fake/dialog_ui_fake.h"

#include <cstdio>

#include "platform/fake/fake_env.h"

namespace platform {

int FakeDialogUi::RunModalDialog(const DialogLayout& layout, WindowHandle,
                                 WindowHost* host) {
  env_->Record("dialog open " + std::to_string(layout.resource_id));
  if (creation_fails) return -1;
  DialogForm form(layout, next_++);
  Open(&form);
  forms.emplace_back();
  host->OnInitDialog(form.handle());
  forms.back().push_back(form.Lines());
  while (!form.ended()) {
    if (input.empty()) {
      env_->Record("dialog input ends");
      ClickFormButton(form, host, id::kCancel);
      if (!form.ended()) form.End(id::kCancel);
      break;
    }
    std::string line = input.front();
    input.pop_front();
    FormInput applied = ApplyFormInput(form, host, line);
    env_->Record("dialog input " + line +
                 (applied == FormInput::kApplied ? "" : " (refused)"));
    forms.back().push_back(form.Lines());
  }
  env_->Record("dialog end " + std::to_string(form.result()));
  Close(form);
  host->OnDestroy();
  return form.result();
}

void FakeDialogUi::FocusControl(WindowHandle dialog, int id) {
  FormDialogUi::FocusControl(dialog, id);
  env_->Record("dialog focus " + std::to_string(id));
}

void FakeDialogUi::ModifyExStyle(WindowHandle, uint32_t remove, uint32_t add) {
  char line[64];
  std::snprintf(line, sizeof line, "exstyle -0x%x +0x%x", remove, add);
  env_->Record(line);
}

std::string FakeDialogUi::LoadStringResource(int, const std::string& text) {
  return text;
}

uint32_t FakeDialogUi::RegisterMessageName(const std::string& name) {
  auto it = registered_messages.find(name);
  if (it != registered_messages.end()) return it->second;
  uint32_t number = 0xC000 + static_cast<uint32_t>(registered_messages.size());
  registered_messages[name] = number;
  return number;
}

}  // namespace platform
