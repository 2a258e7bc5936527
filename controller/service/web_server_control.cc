#include "controller/service/web_server_control.h"

#include <cstdio>
#include <cstring>
#include <set>

#include "controller/config/data_files.h"
#include "controller/config/httpd_conf.h"
#include "controller/config/php_ini.h"
#include "controller/config/router_settings.h"
#include "controller/config/settings_file.h"
#include "controller/monitor/monitor_thread.h"
#include "controller/service/port_conflicts.h"
#include "controller/service/port_mapping.h"
#include "controller/shell/brix7_dlg.h"
#include "framework/win_thread.h"

namespace {

constexpr char kKillHttpdPv[] = "apache\\bin\\pv -f -k httpd.exe -q";
constexpr char kKillHttpd[] = "pskill httpd.exe";
constexpr char kKillRegistrar[] = "pskill norvik";
constexpr char kKillKeepAlive[] = "pskill pulvo";
constexpr char kKillCurl[] = "pskill curl";
constexpr char kStartHttpd[] = "apache\\bin\\httpd.exe";
constexpr char kFirewallDelete[] =
    "netsh.exe advfirewall firewall delete rule name=\"Apache HTTP Server\"";
// Two blanks after "dir=in", as the rule has always been written.
constexpr char kFirewallIn[] =
    "netsh advfirewall firewall add rule name=\"Apache HTTP Server\" "
    "dir=in  action=allow profile=any description=\"Sablo Box In Windows\" "
    "program=\"%sapache\\bin\\httpd.exe\" enable=yes";
constexpr char kFirewallOut[] =
    "netsh advfirewall firewall add rule name=\"Apache HTTP Server\" "
    "dir=out action=allow profile=any description=\"Sablo Box In Windows\" "
    "program=\"%sapache\\bin\\httpd.exe\" enable=yes";
constexpr size_t kFirewallBufferBytes = 1024;

constexpr unsigned kAfterPvMs = 10000;
constexpr unsigned kAfterPskillMs = 2000;
constexpr unsigned kAfterStartMs = 2000;
constexpr unsigned kFirewallPauseMs = 2000;
constexpr unsigned kAfterRegisterMs = 2000;

constexpr char kStoppingTip[] = "正在停止Bramo网络服务...";
constexpr char kStoppedTip[] = "Bramo停止提供网络服务!";
constexpr char kStartingTip[] = "Bramo启动中...";
constexpr char kRestartingTip[] = "Bramo重启中...\n更换端口，Bramo需要重启\n";
constexpr char kRunningTip[] = "Bramo运行中...";

// Every web server ended: pv, 10 s, pskill, 2 s.
void KillWebServer(platform::Env& env) {
  env.WinExec(kKillHttpdPv);
  env.Sleep(kAfterPvMs);
  env.WinExec(kKillHttpd);
  env.Sleep(kAfterPskillMs);
}

// One firewall rule, formatted into the zeroed 1024-byte buffer.  A rule
// that does not fit is not run: a cut command line could name another
// program.
void AddFirewallRule(platform::Env& env, const char* format,
                     const std::string& folder) {
  char rule[kFirewallBufferBytes];
  std::memset(rule, 0, sizeof rule);
  int n = std::snprintf(rule, sizeof rule, format, folder.c_str());
  if (n < 0 || static_cast<size_t>(n) >= sizeof rule) return;
  env.WinExec(rule);
}

bool HasRegisteredUser(Cbrix7Dlg* dlg) {
  std::string user;
  return ReadCurrentUser(dlg->env(), dlg->m_appDir, user) == 0 && !user.empty();
}

}  // namespace

std::string RegistrationUrl() {
  return std::string("http://") + kRegistrationHost + "/regist/regist.php";
}

std::string RegisterCommandLine() {
  return "norvik.exe " + RegistrationUrl() + " 0";
}

std::string KeepAliveCommandLine() { return "pulvo.exe " + RegistrationUrl(); }

int StartWebServer(platform::Env& env) {
  KillWebServer(env);
  env.WinExec(kStartHttpd);
  env.Sleep(kAfterStartMs);
  return 0;
}

void StartMonitorThread(Cbrix7Dlg* dlg) {
  StopMonitorThread(dlg);
  // Created suspended, so that the token is in place before the thread
  // reads m_httpOptions.
  framework::CWinThread* thread = framework::AfxBeginThread(
      MonitorThreadProc, dlg, framework::THREAD_PRIORITY_NORMAL, 0,
      framework::CREATE_SUSPENDED, nullptr);
  dlg->m_httpOptions.cancel = thread->stop_token();
  dlg->m_pMonitorThread = thread;
  thread->ResumeThread();
}

void StopMonitorThread(Cbrix7Dlg* dlg) {
  if (dlg->m_pMonitorThread == nullptr) return;
  dlg->m_pMonitorThread->Stop();
  delete dlg->m_pMonitorThread;
  dlg->m_pMonitorThread = nullptr;
  dlg->m_httpOptions.cancel = nullptr;
}

int StopService(Cbrix7Dlg* dlg) {
  platform::Env& env = dlg->env();
  // The stop is asked for before the stopping text shows, so that no
  // tooltip of the monitor can replace it; the thread itself is waited
  // for right after.
  if (dlg->m_pMonitorThread != nullptr) {
    dlg->m_pMonitorThread->stop_token()->Cancel();
  }
  dlg->SetTrayStatus(dlg->m_hIconIdle, kStoppingTip);
  StopMonitorThread(dlg);
  KillWebServer(env);
  env.WinExec(kKillRegistrar);
  env.WinExec(kKillKeepAlive);
  env.WinExec(kKillCurl);
  dlg->SetTrayStatus(dlg->m_hIconIdle, kStoppedTip);
  return 0;
}

int StartService(Cbrix7Dlg* dlg) {
  dlg->SetTrayStatus(dlg->m_hIconIdle, kStartingTip);
  StartWebServer(dlg->env());
  if (!HasRegisteredUser(dlg)) {
    auto lock = dlg->LockState();
    dlg->SetTrayStatus(dlg->m_hIconUnregistered,
                       dlg->BuildStatusText(false, "", ""));
  }
  StartMonitorThread(dlg);
  dlg->m_serviceRunning = true;
  return 0;
}

int ApplyConfiguration(Cbrix7Dlg* dlg, const std::string& folder,
                       const std::string& localIp,
                       const std::string& externalIp, int routerHttpPort,
                       int routerHttpsPort, int httpPort, int httpsPort) {
  platform::Env& env = dlg->env();
  {
    auto lock = dlg->LockState();
    WriteRouterSettings(env, folder, localIp, externalIp, routerHttpPort,
                        routerHttpsPort);
  }
  // It may show a message box: not under the lock.
  RewriteHttpdConf(env, folder, httpPort, httpsPort);
  {
    auto lock = dlg->LockState();
    WriteLocalPortFile(env, folder, dlg->m_httpPort, dlg->m_httpsPort);
  }
  RewritePhpIni(env, folder);
  return 0;
}

int ApplyNewPorts(Cbrix7Dlg* dlg, int httpPort, int httpsPort, int mode) {
  platform::Env& env = dlg->env();
  const std::string& folder = dlg->m_appDir;
  dlg->SetTrayStatus(dlg->m_hIconIdle, kRestartingTip);
  // The ports are this sequence's until it ends: the monitor neither
  // chooses, maps nor saves ports meanwhile, and drops what it found
  // about the old ones.
  const Cbrix7Dlg::PortsClaim claim = dlg->ClaimPortsForChange();

  std::set<int> oldPorts;
  {
    auto lock = dlg->LockState();
    if (dlg->m_routerHttpPort != httpPort) {
      oldPorts.insert(dlg->m_routerHttpPort);
      dlg->m_routerHttpPort = httpPort;
    }
    if (dlg->m_routerHttpsPort != httpsPort) {
      oldPorts.insert(dlg->m_routerHttpsPort);
      dlg->m_routerHttpsPort = httpsPort;
    }
  }
  Cbrix7Dlg::Addresses now = dlg->SnapshotAddresses();
  ApplyConfiguration(dlg, folder, now.localIp, now.externalIp,
                     now.routerHttpPort, now.routerHttpsPort, now.httpPort,
                     now.httpsPort);

  {
    auto lock = dlg->LockState();
    dlg->m_manualMode = mode != 0;
    dlg->m_httpPort = dlg->m_manualMode ? dlg->m_routerHttpPort : 80;
    dlg->m_httpsPort = dlg->m_manualMode ? dlg->m_routerHttpsPort : 443;
  }
  now = dlg->SnapshotAddresses();
  {
    auto lock = dlg->LockState();
    WriteModeType(env, folder, mode);
    WriteWebServerPorts(env, folder, now.httpPort, now.httpsPort);
  }
  RewriteHttpdConf(env, folder, now.httpPort, now.httpsPort);
  {
    auto lock = dlg->LockState();
    WriteLocalPortFile(env, folder, now.httpPort, now.httpsPort);
  }

  KillWebServer(env);
  FreePorts(env, now.httpPort, now.httpsPort);
  StartWebServer(env);
  RemovePortMappings(env, oldPorts);
  now = dlg->SnapshotAddresses();
  AddPortMappings(env, now.localIp, now.routerHttpPort, now.routerHttpsPort,
                  now.httpPort, now.httpsPort);
  dlg->SaveAddressFile();
  env.WinExec(RegisterCommandLine());
  env.Sleep(kAfterRegisterMs);
  dlg->SetTrayStatus(dlg->m_hIconRunning, kRunningTip);
  return 0;
}

int ShutdownForExit(Cbrix7Dlg* dlg) {
  platform::Env& env = dlg->env();
  env.WinExec(kKillHttpdPv);
  env.WinExec(kKillRegistrar);
  env.WinExec(kKillKeepAlive);
  env.WinExec(kKillCurl);
  const Cbrix7Dlg::Addresses now = dlg->SnapshotAddresses();
  RemovePortMappings(env, now.routerHttpPort, now.routerHttpsPort);
  return 0;
}

int AddFirewallRules(platform::Env& env, const std::string& folder) {
  env.WinExec(kFirewallDelete);
  env.Sleep(kFirewallPauseMs);
  AddFirewallRule(env, kFirewallIn, folder);
  AddFirewallRule(env, kFirewallOut, folder);
  env.Sleep(kFirewallPauseMs);
  return 0;
}
