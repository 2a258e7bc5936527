#include "platform/common/dialog_form.h"

#include <cstdlib>

namespace platform {
namespace {

std::string TrimBlanks(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}

// A whole decimal number, optionally signed (ids such as -1 are not
// addressable, but "2" and "1003" are).
bool ParseId(const std::string& text, int* id) {
  if (text.empty()) return false;
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || value < 0 || value > 0xFFFF) return false;
  *id = static_cast<int>(value);
  return true;
}

}  // namespace

DialogForm::DialogForm(const DialogLayout& layout, WindowHandle handle)
    : layout_(layout), handle_(handle) {
  for (const ControlLayout& control : layout_.controls) {
    if (control.id == kNoControlId) continue;
    // An edit starts empty; the other controls show their template text.
    texts_[control.id] = control.kind == ControlKind::kEdit ? "" : control.text;
    checks_[control.id] = kBstUnchecked;
  }
}

const ControlLayout* DialogForm::Control(int id) const {
  if (id == kNoControlId) return nullptr;
  for (const ControlLayout& control : layout_.controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

std::string DialogForm::Text(int id) const {
  auto it = texts_.find(id);
  return it == texts_.end() ? "" : it->second;
}

void DialogForm::SetText(int id, const std::string& text) {
  if (Control(id) != nullptr) texts_[id] = text;
}

int DialogForm::Check(int id) const {
  auto it = checks_.find(id);
  return it == checks_.end() ? kBstUnchecked : it->second;
}

void DialogForm::SetCheck(int id, int state) {
  if (Control(id) != nullptr) checks_[id] = state;
}

void DialogForm::ClickRadio(int id) {
  const std::vector<ControlLayout>& controls = layout_.controls;
  size_t at = 0;
  while (at < controls.size() && controls[at].id != id) ++at;
  if (at == controls.size()) return;
  // The group runs from the last control that starts one up to the next.
  size_t first = at;
  while (first > 0 && !controls[first].group) --first;
  size_t last = at + 1;
  while (last < controls.size() && !controls[last].group) ++last;
  for (size_t i = first; i < last; ++i) {
    if (controls[i].kind == ControlKind::kAutoRadio) {
      checks_[controls[i].id] = i == at ? kBstChecked : kBstUnchecked;
    }
  }
}

void DialogForm::End(int result) {
  ended_ = true;
  result_ = result;
}

std::vector<std::string> DialogForm::Lines() const {
  std::vector<std::string> lines = {layout_.caption};
  for (const ControlLayout& control : layout_.controls) {
    std::string line =
        (control.id == kNoControlId ? std::string("-")
                                    : std::to_string(control.id)) +
        " " + ControlKindName(control.kind) + " ";
    std::string text =
        control.id == kNoControlId ? control.text : Text(control.id);
    if (control.kind == ControlKind::kEdit) {
      line += "\"" + text + "\"";
    } else {
      line += text;
    }
    if (control.kind == ControlKind::kAutoRadio) {
      line += Check(control.id) == kBstChecked ? " [x]" : " [ ]";
    }
    lines.push_back(line);
  }
  return lines;
}

void ClickFormButton(DialogForm&, WindowHost* host, int id) {
  intptr_t result = 0;
  host->OnMessage(kWmCommand, static_cast<uintptr_t>(id) | (kBnClicked << 16),
                  0, &result);
}

FormInput ApplyFormInput(DialogForm& form, WindowHost* host,
                         const std::string& line) {
  // The text after '=' is kept as typed; only the line end goes.
  std::string raw = line;
  while (!raw.empty() && (raw.back() == '\n' || raw.back() == '\r')) {
    raw.pop_back();
  }
  size_t equals = raw.find('=');
  std::string word = TrimBlanks(raw.substr(0, equals));
  if (word == "ok" && equals == std::string::npos) {
    ClickFormButton(form, host, id::kOk);
    return FormInput::kApplied;
  }
  if (word == "cancel" && equals == std::string::npos) {
    ClickFormButton(form, host, id::kCancel);
    return FormInput::kApplied;
  }
  int id = 0;
  if (!ParseId(word, &id)) return FormInput::kUnknown;
  const ControlLayout* control = form.Control(id);
  if (control == nullptr) return FormInput::kNoSuchControl;
  if (equals != std::string::npos) {
    if (control->kind != ControlKind::kEdit) return FormInput::kNotEditable;
    form.SetText(id, raw.substr(equals + 1));
    return FormInput::kApplied;
  }
  intptr_t result = 0;
  switch (control->kind) {
    case ControlKind::kAutoRadio:
      form.ClickRadio(id);
      ClickFormButton(form, host, id);
      return FormInput::kApplied;
    case ControlKind::kPushButton:
    case ControlKind::kDefPushButton:
      ClickFormButton(form, host, id);
      return FormInput::kApplied;
    case ControlKind::kLink:
      host->OnMessage(kWmNotify, static_cast<uintptr_t>(id), kNmClick, &result);
      return FormInput::kApplied;
    default:
      return FormInput::kNotClickable;
  }
}

}  // namespace platform
