#include "framework/data_exchange.h"

#include <climits>
#include <cstdio>

namespace framework {

const char kParseIntText[] = "请输入一个整数。";

void CDataExchange::Fail(int id) {
  failed_ = true;
  m_pDlgWnd->GotoDlgCtrl(id);
}

int CButton::GetCheck() const {
  return dialog_ ? dialog_->IsDlgButtonChecked(id_) : platform::kBstUnchecked;
}

void CButton::SetCheck(int state) {
  if (dialog_) dialog_->CheckDlgButton(id_, state);
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
// strtol's own white space, in the C locale.
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

bool ParseDialogInt(const std::string& full, int* value) {
  const std::string text = full.substr(0, 31);
  size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  const char first = at < text.size() ? text[at] : '\0';
  // strtol: white space, a sign, then the digits.
  while (at < text.size() && IsSpace(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  const size_t digits_from = at;
  long long magnitude = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    // A long is 32 bits on Windows: strtol saturates there.
    if (magnitude <= 2147483648LL)
      magnitude = magnitude * 10 + (text[at] - '0');
  }
  if (at == digits_from) return false;  // nothing converted
  long long read = negative ? -magnitude : magnitude;
  if (read > INT_MAX) read = INT_MAX;
  if (read < INT_MIN) read = INT_MIN;
  if (read == 0 && first != '0') return false;
  while (at < text.size() && IsBlank(text[at])) ++at;
  if (at != text.size()) return false;
  *value = static_cast<int>(read);
  return true;
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
  if (dx->failed()) return;
  CDialog* dialog = dx->m_pDlgWnd;
  dx->set_last_control(id);
  if (!dx->m_bSaveAndValidate) {
    char text[32] = {};
    std::snprintf(text, sizeof text, "%d", value);
    dialog->SetDlgItemText(id, text);
    return;
  }
  int read = 0;
  if (!ParseDialogInt(dialog->GetDlgItemText(id, 32), &read)) {
    dialog->MessageBox(kParseIntText, "",
                       platform::mb::kOk | platform::mb::kIconWarning);
    dx->Fail(id);
    return;
  }
  value = read;
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int min, int max) {
  if (dx->failed() || !dx->m_bSaveAndValidate) return;
  if (value >= min && value <= max) return;
  char text[96] = {};
  std::snprintf(text, sizeof text, "请输入一个介于 %d 和 %d 之间的整数。", min,
                max);
  dx->m_pDlgWnd->MessageBox(text, "",
                            platform::mb::kOk | platform::mb::kIconWarning);
  dx->Fail(dx->last_control());
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (dx->failed()) return;
  control.Bind(dx->m_pDlgWnd, id);
}

}  // namespace framework
