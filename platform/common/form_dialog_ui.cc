#include "platform/common/form_dialog_ui.h"

namespace platform {

DialogForm* FormDialogUi::Find(WindowHandle dialog) {
  auto it = open_.find(dialog);
  return it == open_.end() ? nullptr : it->second;
}

void FormDialogUi::EndDialog(WindowHandle dialog, int result) {
  if (DialogForm* form = Find(dialog)) form->End(result);
}

std::string FormDialogUi::ControlText(WindowHandle dialog, int id,
                                      size_t capacity) {
  DialogForm* form = Find(dialog);
  if (form == nullptr || capacity == 0) return "";
  return form->Text(id).substr(0, capacity - 1);
}

void FormDialogUi::SetControlText(WindowHandle dialog, int id,
                                  const std::string& text) {
  if (DialogForm* form = Find(dialog)) form->SetText(id, text);
}

int FormDialogUi::ButtonCheck(WindowHandle dialog, int id) {
  DialogForm* form = Find(dialog);
  return form ? form->Check(id) : kBstUnchecked;
}

void FormDialogUi::SetButtonCheck(WindowHandle dialog, int id, int state) {
  if (DialogForm* form = Find(dialog)) form->SetCheck(id, state);
}

void FormDialogUi::FocusControl(WindowHandle dialog, int id) {
  if (DialogForm* form = Find(dialog)) form->set_focus(id);
}

}  // namespace platform
