#include "platform/posix/dialog_ui_posix.h"

#include <vector>

#include "platform/posix/console_loop.h"
#include "platform/posix/console_text.h"
#include "platform/posix/posix_env.h"

namespace platform {
namespace {

const char* Refusal(FormInput input) {
  switch (input) {
    case FormInput::kNoSuchControl:
      return "[dialog] no such control";
    case FormInput::kNotEditable:
      return "[dialog] only an edit takes ID=TEXT";
    case FormInput::kNotClickable:
      return "[dialog] that control cannot be clicked";
    default:
      return "[dialog] type ID=TEXT (an edit), ID (a button, radio button "
             "or link), ok or cancel";
  }
}

}  // namespace

DialogForm* PosixDialogUi::Find(WindowHandle dialog) {
  auto it = open_.find(dialog);
  return it == open_.end() ? nullptr : it->second;
}

void PosixDialogUi::PrintForm(const DialogForm& form) {
  std::vector<std::string> lines = form.Lines();
  lines[0] = "[dialog] " + lines[0];
  for (size_t i = 1; i < lines.size(); ++i) lines[i] = "  " + lines[i];
  env_->ConsoleLines(lines);
}

int PosixDialogUi::RunModalDialog(const DialogLayout& layout, WindowHandle,
                                  WindowHost* host) {
  DialogForm form(layout, next_++);
  open_[form.handle()] = &form;
  host->OnInitDialog(form.handle());
  PrintForm(form);
  while (!form.ended()) {
    std::string line;
    ConsoleEvent event = WaitConsoleEvent(env_->console_mutex(), &line);
    if (event == ConsoleEvent::kWake) continue;
    if (event != ConsoleEvent::kLine) {
      // No one left to answer, or the controller is to end: the safe
      // answer, as a message box takes it.
      env_->ConsoleLines({"[dialog] (no answer: cancel)"});
      ClickFormButton(form, host, id::kCancel);
      if (!form.ended()) form.End(id::kCancel);
      break;
    }
    FormInput input = ApplyFormInput(form, host, Utf8ToGbk(line));
    if (input != FormInput::kApplied) {
      env_->ConsoleLines({Refusal(input)});
    } else if (!form.ended()) {
      PrintForm(form);
    }
  }
  const int result = form.result();
  env_->ConsoleLines(
      {"[dialog] closed: " + std::string(result == id::kOk ? "ok"
                                         : result == id::kCancel
                                             ? "cancel"
                                             : std::to_string(result))});
  open_.erase(form.handle());
  host->OnDestroy();
  return result;
}

void PosixDialogUi::EndDialog(WindowHandle dialog, int result) {
  if (DialogForm* form = Find(dialog)) form->End(result);
}

std::string PosixDialogUi::ControlText(WindowHandle dialog, int id,
                                       size_t capacity) {
  DialogForm* form = Find(dialog);
  if (form == nullptr || capacity == 0) return "";
  return form->Text(id).substr(0, capacity - 1);
}

void PosixDialogUi::SetControlText(WindowHandle dialog, int id,
                                   const std::string& text) {
  if (DialogForm* form = Find(dialog)) form->SetText(id, text);
}

int PosixDialogUi::ButtonCheck(WindowHandle dialog, int id) {
  DialogForm* form = Find(dialog);
  return form ? form->Check(id) : kBstUnchecked;
}

void PosixDialogUi::SetButtonCheck(WindowHandle dialog, int id, int state) {
  if (DialogForm* form = Find(dialog)) form->SetCheck(id, state);
}

void PosixDialogUi::FocusControl(WindowHandle dialog, int id) {
  if (DialogForm* form = Find(dialog)) form->set_focus(id);
}

// The console shows no window: no taskbar button to remove.
void PosixDialogUi::ModifyExStyle(WindowHandle, uint32_t, uint32_t) {}

std::string PosixDialogUi::LoadStringResource(int, const std::string& text) {
  return text;
}

uint32_t PosixDialogUi::RegisterMessageName(const std::string& name) {
  std::lock_guard<std::mutex> lock(messages_mu_);
  auto it = messages_.find(name);
  if (it != messages_.end()) return it->second;
  // Registered messages live in 0xC000 to 0xFFFF, as on Windows.
  uint32_t number = 0xC000 + static_cast<uint32_t>(messages_.size());
  messages_[name] = number;
  return number;
}

}  // namespace platform
