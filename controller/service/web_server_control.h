// Starting, stopping and restarting the web server, and the service
// sequences the main window runs: every step is a command line started
// hidden (WinExec), paced by fixed pauses; nothing waits for a process or
// reads an exit status.  All run on the user-interface thread and return 0.
#ifndef BRAMO_CONTROLLER_SERVICE_WEB_SERVER_CONTROL_H_
#define BRAMO_CONTROLLER_SERVICE_WEB_SERVER_CONTROL_H_

#include <string>

#include "platform/env.h"

class Cbrix7Dlg;

// The registration service's host.
inline constexpr char kRegistrationHost[] = "reg.bramo.example";

// The registration URL passed to norvik.exe and pulvo.exe:
// "http://" + kRegistrationHost + "/regist/regist.php".
std::string RegistrationUrl();

// "norvik.exe <registration URL> 0": one registration run.
std::string RegisterCommandLine();
// "pulvo.exe <registration URL>": one keep-alive run.
std::string KeepAliveCommandLine();

// Kills any web server (pv, 10 s; pskill, 2 s) and starts
// apache\bin\httpd.exe (2 s).
int StartWebServer(platform::Env& env);

// Ends the monitor thread first, then the web server, norvik, pulvo and
// curl, with the stopping and stopped tooltips.  The caller clears
// m_serviceRunning.
int StopService(Cbrix7Dlg* dlg);

// Starts the web server and the monitor thread, with the starting tooltip
// and, when no user is registered, the not-registered one; sets
// m_serviceRunning.
int StartService(Cbrix7Dlg* dlg);

// Starts MonitorThreadProc on `dlg` and stores it in m_pMonitorThread;
// the thread's stop token becomes the cancel token of m_httpOptions before
// the thread runs.  A thread already there is stopped first.
void StartMonitorThread(Cbrix7Dlg* dlg);

// Stops the monitor thread, when there is one, and waits for it to end
// (a matter of milliseconds: its pauses and fetches end at once); clears
// m_pMonitorThread and the cancel token.  Once it returned the thread
// starts no program, writes no file and changes no tooltip.
void StopMonitorThread(Cbrix7Dlg* dlg);

// Writes the router settings (and https_port), httpd.conf, local_port and
// php.ini from the values passed.
int ApplyConfiguration(Cbrix7Dlg* dlg, const std::string& folder,
                       const std::string& localIp,
                       const std::string& externalIp, int routerHttpPort,
                       int routerHttpsPort, int httpPort, int httpsPort);

// The port-settings change: new router ports and mode (1 manual, 0
// automatic) applied, the web server restarted on its ports, the old
// mappings replaced and the registration run.  It holds the ports
// (Cbrix7Dlg::ClaimPortsForChange) from after its first tooltip to its end,
// waiting first for a repair of the monitor under way.
int ApplyNewPorts(Cbrix7Dlg* dlg, int httpPort, int httpsPort, int mode);

// Exit: ends the web server (pv only), norvik, pulvo and curl, and removes
// both router mappings.
int ShutdownForExit(Cbrix7Dlg* dlg);

// Replaces the firewall rules of the web server: every rule of its name
// deleted, then one inbound and one outbound rule added.
int AddFirewallRules(platform::Env& env, const std::string& folder);

#endif  // BRAMO_CONTROLLER_SERVICE_WEB_SERVER_CONTROL_H_
