// The main window's message map: the tray icon's mouse messages, the
// popup's update handlers, the system menu's About entry and the tray
// commands.  Every handler runs on the user-interface thread and blocks
// it until it returns.
#include <cstdio>

#include "controller/config/settings_file.h"
#include "controller/service/web_server_control.h"
#include "controller/shell/about_dlg.h"
#include "controller/shell/brix7_dlg.h"
#include "controller/shell/light_tpd_set_dlg.h"
#include "controller/shell/sablo_resources.h"

struct Cbrix7Dlg::CommandEntry {
  int id;
  void (Cbrix7Dlg::*command)();
  void (Cbrix7Dlg::*update)(framework::CCmdUI*);
};

const Cbrix7Dlg::CommandEntry* Cbrix7Dlg::FindCommand(int id) {
  static const CommandEntry kEntries[] = {
      {kCmdOpenHomePage, &Cbrix7Dlg::OnOpenHomePage, nullptr},
      {kCmdConfigure, &Cbrix7Dlg::OnConfigure, nullptr},
      {kCmdStartWithWindows, &Cbrix7Dlg::OnToggleStartWithWindows,
       &Cbrix7Dlg::OnUpdateStartWithWindows},
      {kCmdAutoRun, &Cbrix7Dlg::OnToggleAutoRun, &Cbrix7Dlg::OnUpdateAutoRun},
      {kCmdToggleService, &Cbrix7Dlg::OnToggleService,
       &Cbrix7Dlg::OnUpdateToggleService},
      {kCmdAbout, &Cbrix7Dlg::OnAbout, nullptr},
      {kCmdExit, &Cbrix7Dlg::OnExit, nullptr},
  };
  for (const CommandEntry& entry : kEntries) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

bool Cbrix7Dlg::HasCommandHandler(int id) { return FindCommand(id) != nullptr; }

bool Cbrix7Dlg::OnUpdateCommandUI(framework::CCmdUI* ui) {
  const CommandEntry* entry = FindCommand(ui->m_nID);
  if (entry == nullptr || entry->update == nullptr) return false;
  (this->*entry->update)(ui);
  return true;
}

bool Cbrix7Dlg::OnMessage(uint32_t message, uintptr_t wparam, intptr_t lparam,
                          intptr_t* result) {
  *result = 0;
  switch (message) {
    case platform::kWmSysCommand:
      return OnSysCommand(wparam);
    case platform::kWmPaint:
      return OnPaint();
    case platform::kWmQueryDragIcon:
      *result = static_cast<intptr_t>(m_hIcon);
      return true;
    case kTrayMessage:
      OnTrayNotify(wparam, lparam);
      return true;
    case platform::kWmInitMenuPopup:
      OnInitMenuPopup(static_cast<platform::MenuHandle>(wparam),
                      static_cast<int>(lparam & 0xFFFF),
                      ((lparam >> 16) & 0xFFFF) != 0);
      return true;
    case platform::kWmClose:
      OnExit();
      return true;
    case platform::kWmCommand:
      if (const CommandEntry* entry =
              FindCommand(static_cast<int>(wparam & 0xFFFF))) {
        (this->*entry->command)();
        return true;
      }
      break;
    default:
      break;
  }
  return CDialog::OnMessage(message, wparam, lparam, result);
}

bool Cbrix7Dlg::OnSysCommand(uintptr_t id) {
  if ((id & 0xFFF0) != kSysCmdAbout) return false;
  CAboutDlg about(&env());
  about.DoModal();
  return true;
}

void Cbrix7Dlg::OnTrayNotify(uintptr_t, intptr_t mouseMessage) {
  if (mouseMessage == platform::kWmLButtonDblClk) {
    if (m_serviceRunning) OpenHomePage();
    return;
  }
  if (mouseMessage != platform::kWmRButtonDown) return;
  platform::MenuUi& menus = env().Menus();
  framework::CMenu menu;
  if (!menu.LoadMenu(menus, TrayMenuLayout())) return;
  framework::CMenu popup = menu.GetSubMenu(0);
  int x = 0, y = 0;
  menus.CursorPos(&x, &y);
  // Without it the popup would not close when the user clicks elsewhere.
  menus.SetForegroundWindow(m_hWnd);
  popup.TrackPopupMenu(platform::kTpmRightButton, x, y, m_hWnd);
  menu.DestroyMenu();
}

void Cbrix7Dlg::OnInitMenuPopup(platform::MenuHandle popup, int, bool sysMenu) {
  if (sysMenu) return;
  framework::UpdateMenuItems(this, env().Menus(), popup);
}

void Cbrix7Dlg::OnUpdateStartWithWindows(framework::CCmdUI* ui) {
  ui->SetCheck(m_startWithWindows ? 1 : 0);
}

void Cbrix7Dlg::OnUpdateAutoRun(framework::CCmdUI* ui) {
  ui->SetCheck(m_autoRun ? 1 : 0);
}

void Cbrix7Dlg::OnUpdateToggleService(framework::CCmdUI* ui) {
  ui->SetText(m_serviceRunning ? kStopServiceLabel : kStartServiceLabel);
}

void Cbrix7Dlg::OpenHomePage() {
  char url[1024] = {};
  std::snprintf(url, sizeof url, "http://127.0.0.1:%d", m_httpPort);
  env().Shell().ShellExecuteOpen(url);
}

void Cbrix7Dlg::OnOpenHomePage() { OpenHomePage(); }

void Cbrix7Dlg::OnConfigure() {
  CLightTPDSetDlg settings(&env());
  if (settings.DoModal() != platform::id::kOk) return;
  if (!settings.m_portsChanged && !settings.m_modeChanged) return;
  ApplyNewPorts(this, settings.m_routerHttpPort, settings.m_routerHttpsPort,
                settings.m_mode);
}

void Cbrix7Dlg::OnToggleStartWithWindows() {
  ToggleStartWithWindows(env(), m_appDir, m_startWithWindows);
}

void Cbrix7Dlg::OnToggleAutoRun() { ToggleAutoRun(env(), m_appDir, m_autoRun); }

void Cbrix7Dlg::OnToggleService() {
  if (m_serviceRunning) {
    StopService(this);
    m_serviceRunning = false;
  } else {
    StartService(this);
  }
}

void Cbrix7Dlg::OnAbout() {
  CAboutDlg about(&env());
  about.DoModal();
}

// The monitor is stopped before anything is ended or unmapped: a pass of
// it during the unmapping pauses could map a port again or start norvik
// or pulvo after their pskill, and nothing would remove them afterwards.
void Cbrix7Dlg::OnExit() {
  StopMonitorThread(this);
  ShutdownForExit(this);
  RemoveTrayIcon();
  EndDialog(platform::id::kOk);
  DestroyWindow();
}
