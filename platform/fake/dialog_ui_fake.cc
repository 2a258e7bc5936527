#include "platform/fake/dialog_ui_fake.h"

#include <cstdio>

#include "platform/fake/fake_env.h"

namespace platform {

DialogForm* FakeDialogUi::Find(WindowHandle dialog) {
  auto it = open_.find(dialog);
  return it == open_.end() ? nullptr : it->second;
}

int FakeDialogUi::RunModalDialog(const DialogLayout& layout, WindowHandle,
                                 WindowHost* host) {
  env_->Record("dialog open " + std::to_string(layout.resource_id));
  if (creation_fails) return -1;
  DialogForm form(layout, next_++);
  open_[form.handle()] = &form;
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
  open_.erase(form.handle());
  host->OnDestroy();
  return form.result();
}

void FakeDialogUi::EndDialog(WindowHandle dialog, int result) {
  if (DialogForm* form = Find(dialog)) form->End(result);
}

std::string FakeDialogUi::ControlText(WindowHandle dialog, int id,
                                      size_t capacity) {
  DialogForm* form = Find(dialog);
  if (form == nullptr || capacity == 0) return "";
  return form->Text(id).substr(0, capacity - 1);
}

void FakeDialogUi::SetControlText(WindowHandle dialog, int id,
                                  const std::string& text) {
  if (DialogForm* form = Find(dialog)) form->SetText(id, text);
}

int FakeDialogUi::ButtonCheck(WindowHandle dialog, int id) {
  DialogForm* form = Find(dialog);
  return form ? form->Check(id) : kBstUnchecked;
}

void FakeDialogUi::SetButtonCheck(WindowHandle dialog, int id, int state) {
  if (DialogForm* form = Find(dialog)) form->SetCheck(id, state);
}

void FakeDialogUi::FocusControl(WindowHandle dialog, int id) {
  if (DialogForm* form = Find(dialog)) form->set_focus(id);
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
