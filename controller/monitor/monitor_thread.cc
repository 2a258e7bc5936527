#include "controller/monitor/monitor_thread.h"

#include "controller/config/data_files.h"
#include "controller/config/router_settings.h"
#include "controller/monitor/router_probe.h"
#include "controller/service/web_server_control.h"
#include "controller/shell/brix7_dlg.h"
#include "platform/thread_stop.h"

namespace {

constexpr unsigned kNoUserPauseMs = 2000;
constexpr unsigned kRecheckPauseMs = 2000;
constexpr unsigned kReachablePauseMs = 60000;
// The router is asked why the server cannot be reached at most this often.
constexpr int64_t kDiagnosisIntervalSeconds = 60;

void ShowRunning(Cbrix7Dlg& dlg, const std::string& user) {
  auto lock = dlg.LockState();
  dlg.SetTrayStatus(dlg.m_hIconRunning, dlg.BuildStatusText(true, user, user));
}

void WriteReachability(Cbrix7Dlg& dlg, int value) {
  auto lock = dlg.LockState();
  WriteReachabilityFile(dlg.env(), dlg.m_appDir, value);
}

// A reachable pass runs every minute, mostly with the same address and
// state: a file that holds its bytes already is not written again.
void RefreshReachable(Cbrix7Dlg& dlg) {
  auto lock = dlg.LockState();
  RefreshReachabilityFile(dlg.env(), dlg.m_appDir, 0);
}

// A reachable server has no diagnosis; the file is only touched when it
// holds one.
void ClearDiagnosis(Cbrix7Dlg& dlg) {
  auto lock = dlg.LockState();
  WriteDiagnosisFile(dlg.env(), dlg.m_appDir, "");
}

// A clock set back makes it due at once.
bool DiagnosisDue(const Cbrix7Dlg& dlg, int64_t now) {
  return !dlg.m_lastDiagnosis || now < *dlg.m_lastDiagnosis ||
         now - *dlg.m_lastDiagnosis >= kDiagnosisIntervalSeconds;
}

// After a pass that ends unreachable: what the router and the addresses
// say about why, into the diagnosis file.  The router is asked outside the
// state lock (its runs take seconds); the file is written under it.  The
// ports' claim is held throughout: the probe may ask the router for this
// pass's mapping again, which after a port change would put back a
// mapping of ports no longer in use, and nothing would remove it.
void DiagnoseAfterPass(Cbrix7Dlg& dlg, int result) {
  platform::Env& env = dlg.env();
  const int64_t now = env.Time();
  if (!DiagnosisDue(dlg, now)) return;
  const Cbrix7Dlg::PortsClaim claim = dlg.ClaimPortsAsChecked();
  if (!claim.owns_lock()) return;
  dlg.m_lastDiagnosis = now;
  const Cbrix7Dlg::Addresses at = dlg.SnapshotAddresses();
  DiagnosisInput input;
  input.localIp = at.localIp;
  input.externalIp = at.externalIp;
  input.httpPort = at.httpPort;
  input.httpsPort = at.httpsPort;
  input.routerHttpPort = at.routerHttpPort;
  input.routerHttpsPort = at.routerHttpsPort;
  input.anotherAnswered = result == 4;
  if (NeedsRouter(input)) input.router = AskRouter(env, input);
  platform::StopPoint();
  const std::string text = FormatCauses(DiagnoseUnreachable(input));
  auto lock = dlg.LockState();
  WriteDiagnosisFile(env, dlg.m_appDir, text);
}

// The address file carries the router port: not written while a port
// change runs, nor after one with the port this pass checked.
void SaveAddressFileAsChecked(Cbrix7Dlg& dlg) {
  const Cbrix7Dlg::PortsClaim claim = dlg.ClaimPortsAsChecked();
  if (!claim.owns_lock()) return;
  auto lock = dlg.LockState();
  RefreshAddressFile(dlg.env(), dlg.m_appDir, dlg.m_externalIp,
                     dlg.m_routerHttpPort);
}

}  // namespace

// StopPoint between the steps: a stop asked for while a step ran ends the
// pass before the next one, even when that step has no effect of its own.
void RunMonitorPass(Cbrix7Dlg& dlg) {
  platform::Env& env = dlg.env();
  std::string user;
  if (ReadCurrentUser(env, dlg.m_appDir, user) != 0 || user.empty()) {
    env.Sleep(kNoUserPauseMs);
    return;
  }
  platform::StopPoint();
  const int r = dlg.CheckReverseDetection(user);
  platform::StopPoint();
  if (r == 0) {
    ShowRunning(dlg, user);
    SaveAddressFileAsChecked(dlg);
    RefreshReachable(dlg);
    ClearDiagnosis(dlg);
    env.WinExec(RegisterCommandLine());
    env.WinExec(KeepAliveCommandLine());
    env.Sleep(kReachablePauseMs);
    return;
  }
  WriteReachability(dlg, 1);
  dlg.RecheckAddresses(user, r != 4);
  platform::StopPoint();
  env.Sleep(kRecheckPauseMs);
  const int r2 = dlg.CheckReverseDetection(user);
  platform::StopPoint();
  if (r2 == 0) {
    ShowRunning(dlg, user);
    ClearDiagnosis(dlg);
    env.WinExec(RegisterCommandLine());
    env.Sleep(kReachablePauseMs);
    return;
  }
  DiagnoseAfterPass(dlg, r2);
}

unsigned MonitorThreadProc(void* param) {
  Cbrix7Dlg& dlg = *static_cast<Cbrix7Dlg*>(param);
  for (;;) RunMonitorPass(dlg);
}
