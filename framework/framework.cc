#include "framework/dialog.h"
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

void CDialog::DestroyWindow() {
  if (m_hWnd != 0) env_->DestroyDialogWindow(m_hWnd);
}

bool CDialog::OnInitDialog(platform::WindowHandle window) {
  m_hWnd = window;
  return OnInitDialog();
}

bool CDialog::OnMessage(uint32_t, uintptr_t, intptr_t, intptr_t*) {
  return false;
}

}  // namespace framework
