// install_driver <install folder> <step> [arguments]: runs one of the
// controller's own sequences on a Linux install folder, through the real
// platform layer, with the folder as current directory, as the controller
// runs.  The install folder test drives the web server with it.  Each
// step builds the main window's state from sablo.ini, as a start would:
//   configure <http port> <https port>
//       manual mode on those ports, LAN and public address 127.0.0.1:
//       the mode and ports saved, then ApplyConfiguration
//   start-web-server           StartWebServer
//   stop-service               StopService (no monitor thread runs)
//   run-service <ms>           StartService, which starts the web server
//                              and the monitor thread; <ms> later
//                              StopService
//   apply-new-ports <http port> <https port> <mode>
//                              ApplyNewPorts, mode 1 manual, 0 automatic
//   add-firewall-rules         AddFirewallRules
//   reachability <0|1>         WriteReachabilityFile, as the monitor does
//   system <command line>  (UTF-8, as typed)
//       runs it as the command interpreter would (Env::System) and exits
//       with its exit status
//   winexec <command line>
//       starts it hidden without waiting (Env::WinExec); exit status 0 when
//       it was started, else WinExec's error code
// The driver is to be run from the install folder itself, so that bare
// program names are found there first, as they are for the controller.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "controller/config/data_files.h"
#include "controller/config/settings_file.h"
#include "controller/service/web_server_control.h"
#include "controller/shell/brix7_dlg.h"
#include "platform/env.h"
#include "platform/posix/console_text.h"
#include "platform/posix/linux_name.h"

namespace {

constexpr char kLoopback[] = "127.0.0.1";

int Usage() {
  std::fprintf(
      stderr,
      "usage: install_driver <folder> configure <http> <https>\n"
      "       install_driver <folder> start-web-server|stop-service|"
      "add-firewall-rules\n"
      "       install_driver <folder> apply-new-ports <http> <https> "
      "<mode>\n"
      "       install_driver <folder> reachability <0|1>\n"
      "       install_driver <folder> system|winexec <command line>\n");
  return 2;
}

std::string Key(platform::Env& env, const std::string& folder,
                const char* section, const char* key) {
  return env.GetProfileText(section, key, "", 32, SettingsPath(folder));
}

// The main window's ports, addresses and mode as sablo.ini holds them.
void LoadState(Cbrix7Dlg& dlg) {
  platform::Env& env = dlg.env();
  const std::string& folder = dlg.m_appDir;
  ReadModeFlag(env, folder, dlg.m_manualMode);
  ReadRouterPorts(env, folder, dlg.m_routerHttpPort, dlg.m_routerHttpsPort);
  dlg.m_httpPort = AtoiRule(Key(env, folder, "apache", "apache.http.port"));
  dlg.m_httpsPort = AtoiRule(Key(env, folder, "apache", "apache.https.port"));
  dlg.m_localIp = Key(env, folder, "ip", "ip.internal");
  dlg.m_externalIp = Key(env, folder, "ip", "ip.external");
}

int Configure(Cbrix7Dlg& dlg, int http, int https) {
  platform::Env& env = dlg.env();
  dlg.m_manualMode = true;
  dlg.m_httpPort = dlg.m_routerHttpPort = http;
  dlg.m_httpsPort = dlg.m_routerHttpsPort = https;
  dlg.m_localIp = dlg.m_externalIp = kLoopback;
  WriteModeType(env, dlg.m_appDir, 1);
  WriteWebServerPorts(env, dlg.m_appDir, http, https);
  return ApplyConfiguration(&dlg, dlg.m_appDir, kLoopback, kLoopback, http,
                            https, http, https);
}

int RunStep(Cbrix7Dlg& dlg, int argc, char** argv) {
  platform::Env& env = dlg.env();
  const std::string step = argv[2];
  if (step == "configure" && argc == 5) {
    return Configure(dlg, std::atoi(argv[3]), std::atoi(argv[4]));
  }
  // Command lines come as a terminal types them (UTF-8); the system's
  // code hands the layer GBK.
  if (step == "system" && argc == 4) {
    const int status = env.System(platform::Utf8ToGbk(argv[3]));
    return status > 255 ? 255 : status;
  }
  if (step == "winexec" && argc == 4) {
    const unsigned result = env.WinExec(platform::Utf8ToGbk(argv[3]));
    return result > 31 ? 0 : static_cast<int>(result);
  }
  if (step == "reachability" && argc == 4) {
    return WriteReachabilityFile(env, dlg.m_appDir, std::atoi(argv[3]));
  }
  if (argc == 3 && step == "start-web-server") return StartWebServer(env);
  if (argc == 3 && step == "add-firewall-rules") {
    return AddFirewallRules(env, dlg.m_appDir);
  }
  LoadState(dlg);
  if (argc == 3 && step == "stop-service") return StopService(&dlg);
  if (argc == 4 && step == "run-service") {
    StartService(&dlg);
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[3])));
    StopService(&dlg);
    dlg.m_serviceRunning = false;
    return 0;
  }
  if (argc == 6 && step == "apply-new-ports") {
    return ApplyNewPorts(&dlg, std::atoi(argv[3]), std::atoi(argv[4]),
                         std::atoi(argv[5]));
  }
  return Usage();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string native = argv[1];
  if (native.empty() || native[0] != '/' || chdir(native.c_str()) != 0) {
    std::fprintf(stderr, "install_driver: %s is not a folder\n", argv[1]);
    return 2;
  }
  if (native.back() != '/') native += '/';
  std::unique_ptr<platform::Env> env(platform::NewPlatformEnv());
  Cbrix7Dlg dlg(env.get());
  // The folder as the controller has it: GBK, backslashes.
  dlg.m_appDir = platform::FromLinuxName(native);
  return RunStep(dlg, argc, argv);
}
