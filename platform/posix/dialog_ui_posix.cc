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

void PosixDialogUi::PrintForm(const DialogForm& form) {
  std::vector<std::string> lines = form.Lines();
  lines[0] = "[dialog] " + lines[0];
  for (size_t i = 1; i < lines.size(); ++i) lines[i] = "  " + lines[i];
  env_->ConsoleLines(lines);
}

int PosixDialogUi::RunModalDialog(const DialogLayout& layout, WindowHandle,
                                  WindowHost* host) {
  DialogForm form(layout, next_++);
  Open(&form);
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
  Close(form);
  host->OnDestroy();
  return result;
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
