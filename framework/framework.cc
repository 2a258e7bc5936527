#include "framework/data_exchange.h"
#include "framework/dialog.h"
#include "framework/menu.h"
#include "framework/win_app.h"

namespace framework {

CWinApp::~CWinApp() { delete m_pMainWnd; }

int CWinApp::Run() {
  if (!InitInstance()) return ExitInstance();
  if (m_pMainWnd != nullptr && m_pMainWnd->m_hWnd != 0) {
    exit_code_ = env_->RunMessageLoop(m_pMainWnd->m_hWnd);
  }
  return ExitInstance();
}

bool CDialog::Create() {
  m_hWnd = env_->CreateDialogWindow(template_id_, this);
  return m_hWnd != 0;
}

int CDialog::DoModal() {
  if (layout_ == nullptr) return -1;
  modal_ = true;
  int result = env_->Dialogs().RunModalDialog(*layout_, 0, this);
  modal_ = false;
  return result;
}

void CDialog::DestroyWindow() {
  if (m_hWnd != 0) env_->DestroyDialogWindow(m_hWnd);
}

void CDialog::EndDialog(int result) {
  result_ = result;
  if (modal_ && m_hWnd != 0) env_->Dialogs().EndDialog(m_hWnd, result);
}

bool CDialog::UpdateData(bool save) {
  CDataExchange dx(this, save);
  DoDataExchange(&dx);
  return !dx.failed();
}

std::string CDialog::GetDlgItemText(int id, size_t capacity) {
  return env_->Dialogs().ControlText(m_hWnd, id, capacity);
}

void CDialog::SetDlgItemText(int id, const std::string& text) {
  env_->Dialogs().SetControlText(m_hWnd, id, text);
}

void CDialog::CheckDlgButton(int id, int state) {
  env_->Dialogs().SetButtonCheck(m_hWnd, id, state);
}

int CDialog::IsDlgButtonChecked(int id) {
  return env_->Dialogs().ButtonCheck(m_hWnd, id);
}

void CDialog::GotoDlgCtrl(int id) { env_->Dialogs().FocusControl(m_hWnd, id); }

int CDialog::MessageBox(const std::string& text, const std::string& caption,
                        uint32_t type) {
  return env_->ShowMessageBox(m_hWnd, text, caption, type);
}

bool CDialog::HasCommandHandler(int) { return false; }
bool CDialog::OnUpdateCommandUI(CCmdUI*) { return false; }

bool CDialog::OnInitDialog(platform::WindowHandle window) {
  m_hWnd = window;
  return OnInitDialog();
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
  if (!UpdateData(true)) return;
  EndDialog(platform::id::kOk);
}

void CDialog::OnCancel() { EndDialog(platform::id::kCancel); }

bool CDialog::OnCommand(int, int) { return false; }

bool CDialog::OnNotify(int, intptr_t, intptr_t*) { return false; }

bool CDialog::OnMessage(uint32_t message, uintptr_t wparam, intptr_t lparam,
                        intptr_t* result) {
  if (message == platform::kWmCommand) {
    int id = static_cast<int>(wparam & 0xFFFF);
    int code = static_cast<int>((wparam >> 16) & 0xFFFF);
    *result = 0;
    if (id == platform::id::kOk) {
      OnOK();
      return true;
    }
    if (id == platform::id::kCancel) {
      OnCancel();
      return true;
    }
    return OnCommand(id, code);
  }
  if (message == platform::kWmNotify) {
    return OnNotify(static_cast<int>(wparam), lparam, result);
  }
  return false;
}

}  // namespace framework
