#include "controller/monitor/address_discovery.h"

#include "controller/config/router_settings.h"
#include "controller/config/settings_file.h"
#include "controller/monitor/ascii_case.h"
#include "controller/monitor/http_fetch.h"
#include "controller/service/port_conflicts.h"
#include "controller/service/port_mapping.h"
#include "controller/shell/brix7_dlg.h"
#include "platform/thread_stop.h"

// On Windows the answer comes from the resolver, which nothing can
// interrupt; on the monitor thread it is asked where the service's stop
// does not have to wait for it.
void GetLocalIp(platform::Env& env, std::string& text) {
  platform::Env* asked = &env;
  text =
      platform::CallAbandonable([asked] { return asked->LocalIpv4Address(); });
}

void LookupExternalIp(platform::Env& env, std::string& text,
                      const std::set<std::string>& urls,
                      const platform::HttpOptions& options) {
  text.clear();
  for (const std::string& url : urls) {
    // FetchExternalIp keeps only what passed the address check, so no
    // line end or other stray byte can reach the settings file.
    if (FetchExternalIp(env, url.c_str(), text, options) == 0) return;
  }
}

// Start-up runs these before the monitor thread exists; they still keep
// to the state lock's rule, as every user of the shared members does:
// lookups, message boxes, router commands and pauses on copies, the
// members and the file writes under the lock.
int DiscoverAddresses(Cbrix7Dlg& dialog) {
  platform::Env& env = dialog.env();
  std::string local;
  GetLocalIp(env, local);
  {
    auto lock = dialog.LockState();
    dialog.m_localIp = local;
    dialog.m_externalIp.clear();
  }
  if (EqualsIgnoringAsciiCase(local, kLoopbackAddress)) return 0;
  std::string external;
  LookupExternalIp(env, external, dialog.m_urls, dialog.m_httpOptions);
  int routerHttp = 0, routerHttps = 0;
  {
    auto lock = dialog.LockState();
    dialog.m_externalIp = external;
    routerHttp = dialog.m_routerHttpPort;
    routerHttps = dialog.m_routerHttpsPort;
  }
  ReadRouterPorts(env, dialog.m_appDir, routerHttp, routerHttps);
  auto lock = dialog.LockState();
  dialog.m_routerHttpPort = routerHttp;
  dialog.m_routerHttpsPort = routerHttps;
  return 0;
}

void SetUpPublication(Cbrix7Dlg& dialog) {
  const Cbrix7Dlg::Addresses now = dialog.SnapshotAddresses();
  if (!EqualsIgnoringAsciiCase(now.localIp, now.externalIp)) {
    SetUpRouterMapping(dialog);
    return;
  }
  auto lock = dialog.LockState();
  dialog.m_routerHttpPort = dialog.m_httpPort;
  dialog.m_routerHttpsPort = dialog.m_httpsPort;
}

int SetUpRouterMapping(Cbrix7Dlg& dialog) {
  platform::Env& env = dialog.env();
  Cbrix7Dlg::Addresses now = dialog.SnapshotAddresses();
  if (now.routerHttpPort == 0 || now.routerHttpsPort == 0) {
    int newHttp = 0, newHttps = 0;
    ChooseRouterPorts(env, now.routerHttpPort, now.routerHttpsPort, newHttp,
                      newHttps);
    auto lock = dialog.LockState();
    dialog.m_routerHttpPort = newHttp;
    dialog.m_routerHttpsPort = newHttps;
    dialog.SaveRouterSettings();
  }
  now = dialog.SnapshotAddresses();
  AddPortMappings(env, now.localIp, now.routerHttpPort, now.routerHttpsPort,
                  now.httpPort, now.httpsPort);
  dialog.SaveAddressFile();
  return 0;
}
