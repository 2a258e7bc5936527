// The main window's start sequence: ports, configuration, tray icon,
// firewall, addresses, publication, and the automatic start of the
// service; finally the home page.
#include <string>

#include "controller/config/app_dir.h"
#include "controller/config/data_files.h"
#include "controller/config/httpd_conf.h"
#include "controller/config/router_settings.h"
#include "controller/config/settings_file.h"
#include "controller/monitor/address_discovery.h"
#include "controller/service/port_conflicts.h"
#include "controller/service/web_server_control.h"
#include "controller/shell/brix7_dlg.h"
#include "controller/shell/sablo_resources.h"

namespace {

constexpr char kInitialisingTip[] = "Bramo正在初始化...";
constexpr char kStartingTip[] = "Bramo正在启动...";
constexpr char kNotRunningTip[] = "Bramo未运行!";
constexpr unsigned kBeforeStartMs = 2000;

}  // namespace

bool Cbrix7Dlg::OnInitDialog() {
  platform::Env& env = this->env();
  CDialog::OnInitDialog();

  // No taskbar button.
  env.Dialogs().ModifyExStyle(m_hWnd, platform::kWsExAppWindow,
                              platform::kWsExToolWindow);
  if (platform::MenuHandle sysMenu = env.Menus().SystemMenu(m_hWnd)) {
    std::string about =
        env.Dialogs().LoadStringResource(kAboutMenuString, kAboutMenuText);
    if (!about.empty()) {
      env.Menus().AppendItem(sysMenu, platform::kMfSeparator, 0, "");
      env.Menus().AppendItem(sysMenu, platform::kMfString, kSysCmdAbout, about);
    }
  }
  env.SetWindowIcons(m_hWnd, m_hIcon);

  m_localIp = "";
  m_httpPort = 80;
  m_httpsPort = 443;
  m_externalIp = "";
  m_routerHttpPort = 0;
  m_routerHttpsPort = 0;
  GetAppDir(env, m_appDir);

  m_manualMode = false;
  ReadModeFlag(env, m_appDir, m_manualMode);
  if (m_manualMode &&
      !TakeManualModePorts(env, m_appDir, m_routerHttpPort, m_routerHttpsPort,
                           m_httpPort, m_httpsPort)) {
    return false;  // the process has ended (exit code 1)
  }
  RewriteHttpdConf(env, m_appDir, m_httpPort, m_httpsPort);
  WriteLocalPortFile(env, m_appDir, m_httpPort, m_httpsPort);

  m_startWithWindows = false;
  m_autoRun = false;
  m_serviceRunning = false;
  m_pMonitorThread = nullptr;
  AddTrayIcon(kInitialisingTip);
  m_menu.LoadMenu(env.Menus(), TrayMenuLayout());
  AddFirewallRules(env, m_appDir);
  ReadStartupFlags(env, m_appDir, m_startWithWindows, m_autoRun);

  if (LoadUrlList(env, m_appDir, m_urls) != 0) {
    // Halted: the tray keeps the initialising text, and its menu works.
    ShowConfigError(env, kNoUrlText);
    return false;
  }
  DiscoverAddresses(*this);
  SetUpPublication(*this);
  ApplyConfiguration(this, m_appDir, m_localIp, m_externalIp, m_routerHttpPort,
                     m_routerHttpsPort, m_httpPort, m_httpsPort);
  SaveAddressFile();

  if (m_autoRun) {
    SetTrayStatus(m_hIconIdle, kStartingTip);
    FreePorts(env, m_httpPort, m_httpsPort);
    env.Sleep(kBeforeStartMs);
    StartWebServer(env);
    std::string user;
    if (ReadCurrentUser(env, m_appDir, user) != 0 || user.empty()) {
      SetTrayStatus(m_hIconUnregistered, BuildStatusText(false, "", ""));
    }
    // The flag is set before the thread starts, which may read it.
    m_serviceRunning = true;
    StartMonitorThread(this);
  } else {
    SetTrayStatus(m_hIconIdle, kNotRunningTip);
  }
  OpenHomePage();
  return true;
}
