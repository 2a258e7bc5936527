// The controller's main window: hidden, it owns all run-time state and the
// tray icon, which is the only thing the user sees of the controller.
#ifndef BRAMO_CONTROLLER_SHELL_BRIX7_DLG_H_
#define BRAMO_CONTROLLER_SHELL_BRIX7_DLG_H_

#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "controller/portforward/port_forward_engine.h"
#include "framework/dialog.h"
#include "framework/menu.h"
#include "platform/env.h"
#include "platform/thread_stop.h"

namespace framework {
class CWinThread;
}

class Cbrix7Dlg : public framework::CDialog {
 public:
  static constexpr int kTemplateId = 102;
  static constexpr uint32_t kTrayId = 128;
  static constexpr uint32_t kTrayMessage = platform::kWmUser + 5;
  static constexpr size_t kTipBytes = 127;

  // Builds the port-forward engine, then loads the icons 128, 129, 130,
  // 131 and 134, in that order.
  explicit Cbrix7Dlg(platform::Env* env);
  // Tears the engine down first; a monitor thread still running is
  // stopped before the other members go.
  ~Cbrix7Dlg() override;

  // Adds the tray icon (identifier 128, the idle picture) with `text`.
  // The result of the shell call is ignored.
  void AddTrayIcon(const std::string& text);

  // Sets the tray picture and tooltip; the text is cut to 127 bytes, never
  // inside a double-byte character, line ends kept.  Safe from any
  // thread; takes the state lock.
  void SetTrayStatus(platform::IconHandle picture, const std::string& text);

  // The one lock over what the user-interface thread and the monitor
  // thread share: m_localIp, m_externalIp, m_httpPort, m_httpsPort,
  // m_routerHttpPort, m_routerHttpsPort, m_nid, and the writes of the
  // settings file and the data files.  Hold it only around reads and
  // writes of those members, tray updates and those file writes; never
  // across a network call, a program start, a pause or a message box, so
  // neither thread keeps the other waiting.  Recursive: the dialog's own
  // operations take it and may be called with it held.  A stop of the
  // monitor thread lets a hold begun before it end (a few file writes and
  // tray updates at most), so what one hold changes is changed whole; a
  // hold asked for after the stop is not begun (ThreadStopped).
  class StateLock {
   public:
    explicit StateLock(std::recursive_mutex& mu) : lock_(mu), defer_(Begin()) {}

   private:
    static platform::StopDeferral Begin() {
      platform::StopPoint();
      return {};
    }

    std::unique_lock<std::recursive_mutex> lock_;
    platform::StopDeferral defer_;
  };
  StateLock LockState() const;

  // The router ports' owner.  A port change (ApplyNewPorts) holds it
  // from its first step after the restarting text to its last; the
  // monitor thread holds it around what it does to the ports after a
  // reverse check (choosing new ones, mapping and unmapping them, writing
  // them to the settings and data files).  Unlike the state lock it is
  // held across pauses and router commands: the monitor waits for a port
  // change to end (no stop can come meanwhile, since stops and port
  // changes both run on the user-interface thread), and a port change
  // waits for a repair under way.  Taken before the state lock, never
  // while holding it.
  using PortsClaim = std::unique_lock<std::mutex>;
  // The port change's claim; counts one more port change.
  PortsClaim ClaimPortsForChange();
  // The monitor's claim.  Not held (owns_lock() false) when a port change
  // ran since the last CheckReverseDetection took its ports: what that
  // check found is about ports no longer in use, so nothing is done on it.
  PortsClaim ClaimPortsAsChecked();

  // The shared addresses and ports, copied under the lock.
  struct Addresses {
    std::string localIp;
    std::string externalIp;
    int httpPort = 0;
    int httpsPort = 0;
    int routerHttpPort = 0;
    int routerHttpsPort = 0;
  };
  Addresses SnapshotAddresses() const;

  // WriteRouterSettings and WriteAddressFile (config/router_settings.h)
  // with the current members, under the lock.
  void SaveRouterSettings();
  void SaveAddressFile();

  // Moves the publication to two new router ports, when another
  // installation answers on the old ones: new ports chosen, written to the
  // settings and the address file, mapped on the router, and the old
  // mappings removed.
  void RechooseRouterPorts();

  // Asks the web application from outside, under the public address and
  // the router HTTP port, whether it answers as this installation (`user`,
  // letters A to Z compared without regard to case, nothing trimmed), and
  // shows the outcome in the tray.  0: it did; 1: no public address known
  // (nothing asked), no session or a read failed; 4: another name
  // answered; 5: an empty answer; 6: the address could not be opened.
  int CheckReverseDetection(const std::string& user);

  // The repair after a failed reverse check: looks both addresses up
  // again and, by what changed, rewrites the settings and the address
  // file, maps again, or moves to new router ports.  `noAnswer` is false
  // when another installation answered.  Returns 1, with nothing changed,
  // when no lookup service gave a public address; else 0, also when a port
  // change ran since the check, which leaves everything as it is.
  int RecheckAddresses(const std::string& user, bool noAnswer);

  // Writes the router settings, maps the router ports again and writes
  // the address file, all from the current members.
  void RepublishAddresses();

  // The status text for the current addresses and ports; see
  // BuildStatusText in controller/monitor/status_text.h.
  std::string BuildStatusText(bool mode, const std::string& user,
                              const std::string& answer);

  // Carried, never called (controller/portforward/port_forward_engine.h);
  // held so that it is built first and torn down first.
  std::optional<CPortForwardEngine> m_portForwardEngine;
  platform::IconHandle m_hIcon;
  platform::IconHandle m_hIconIdle;
  platform::IconHandle m_hIconRunning;
  platform::IconHandle m_hIconWarning;
  platform::IconHandle m_hIconUnregistered;
  std::string m_appDir;
  std::string m_localIp;
  int m_httpPort = 80;
  int m_httpsPort = 443;
  std::string m_externalIp;
  int m_routerHttpPort = 0;
  int m_routerHttpsPort = 0;
  bool m_startWithWindows = false;
  bool m_autoRun = false;
  bool m_serviceRunning = false;
  platform::NotifyIconData m_nid;
  // Menu 132, loaded by the start sequence and kept for the dialog's
  // lifetime (the popup itself is loaded afresh at every right click).
  framework::CMenu m_menu;
  std::set<std::string> m_urls;
  bool m_manualMode = false;
  // Used by every fetch of the controller: the monitor's stop hangs its
  // cancel token here; tests shorten the time-outs.
  platform::HttpOptions m_httpOptions;
  // The monitor thread while the service runs (controller/monitor/
  // monitor_thread.h); null otherwise.  Set and cleared only by the
  // user-interface thread (StartMonitorThread, StopService); the dialog's
  // destruction stops a thread still running.
  framework::CWinThread* m_pMonitorThread = nullptr;
  // When the monitor last asked the router why the server cannot be
  // reached (Time(), seconds); only the monitor thread uses it.
  std::optional<int64_t> m_lastDiagnosis;

  // Removes the tray icon (NIM_DELETE).
  void RemoveTrayIcon();

  // Opens "http://127.0.0.1:<m_httpPort>" in the browser; the result is
  // ignored.
  void OpenHomePage();

  // The message map: WM_SYSCOMMAND, WM_PAINT, WM_QUERYDRAGICON, the tray
  // icon's WM_USER + 5, WM_INITMENUPOPUP, the tray commands 32778 to
  // 32784, and WM_CLOSE, which ends the controller as the exit command
  // does (the Linux console sends it on SIGINT and SIGTERM).
  bool OnMessage(uint32_t message, uintptr_t wparam, intptr_t lparam,
                 intptr_t* result) override;
  // The commands and update handlers of the tray menu.
  bool HasCommandHandler(int id) override;
  bool OnUpdateCommandUI(framework::CCmdUI* ui) override;

 protected:
  // The start sequence.  It ends in one of three states: running
  // (automatic start), not running, or halted at initialisation (no
  // lookup URL: FALSE, with the tray icon and menu in place).  In manual
  // mode without both router ports it ends the process with exit code 1
  // before the tray icon exists.
  bool OnInitDialog() override;

 private:
  struct CommandEntry;
  static const CommandEntry* FindCommand(int id);

  // WM_USER + 5: a double click opens the home page while the service
  // runs; a right click shows a fresh copy of menu 132.
  void OnTrayNotify(uintptr_t iconId, intptr_t mouseMessage);
  // Runs the update handlers over a popup as it opens.
  void OnInitMenuPopup(platform::MenuHandle popup, int index, bool sysMenu);
  // The About entry of the system menu; false leaves other commands to
  // the default handling.
  bool OnSysCommand(uintptr_t id);

  void OnOpenHomePage();
  void OnConfigure();
  void OnToggleStartWithWindows();
  void OnToggleAutoRun();
  void OnToggleService();
  void OnAbout();
  // Stops the monitor thread, then ShutdownForExit, the tray icon's
  // removal and the end of the dialog.
  void OnExit();
  void OnUpdateStartWithWindows(framework::CCmdUI* ui);
  void OnUpdateAutoRun(framework::CCmdUI* ui);
  void OnUpdateToggleService(framework::CCmdUI* ui);

  // Draws the application icon centred when minimised; false lets the
  // dialog paint as usual.
  bool OnPaint();
  void FillTip(const std::string& text);

  mutable std::recursive_mutex m_stateLock;
  std::mutex m_portsOwner;
  // Port changes begun, and their count when the last reverse check took
  // its ports; both under the state lock.
  unsigned m_portChanges = 0;
  unsigned m_checkedPortChanges = 0;
};

#endif  // BRAMO_CONTROLLER_SHELL_BRIX7_DLG_H_
