// The controller's main window: hidden, it owns all run-time state and the
// tray icon, which is the only thing the user sees of the controller.
#ifndef BRAMO_CONTROLLER_SHELL_BRIX7_DLG_H_
#define BRAMO_CONTROLLER_SHELL_BRIX7_DLG_H_

#include <mutex>
#include <set>
#include <string>

#include "framework/dialog.h"
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

  // Loads the icons 128, 129, 130, 131 and 134, in that order.
  explicit Cbrix7Dlg(platform::Env* env);
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
  // when no lookup service gave a public address; else 0.
  int RecheckAddresses(const std::string& user, bool noAnswer);

  // Writes the router settings, maps the router ports again and writes
  // the address file, all from the current members.
  void RepublishAddresses();

  // The status text for the current addresses and ports; see
  // BuildStatusText in controller/monitor/status_text.h.
  std::string BuildStatusText(bool mode, const std::string& user,
                              const std::string& answer);

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

  // The message map: WM_PAINT and WM_QUERYDRAGICON.
  bool OnMessage(uint32_t message, uintptr_t wparam, intptr_t lparam,
                 intptr_t* result) override;

 protected:
  bool OnInitDialog() override;

 private:
  // Draws the application icon centred when minimised; false lets the
  // dialog paint as usual.
  bool OnPaint();
  void FillTip(const std::string& text);

  mutable std::recursive_mutex m_stateLock;
};

#endif  // BRAMO_CONTROLLER_SHELL_BRIX7_DLG_H_
