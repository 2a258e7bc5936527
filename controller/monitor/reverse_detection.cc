// The reverse check from outside and the repair that follows a failed one.
// They run on the monitor thread while the user-interface thread may
// change the same members: every read and write of those, every tray
// update and every settings or data file write happens under the
// dialog's state lock, and no fetch, program start or pause does.
#include <cstdio>

#include "controller/config/router_settings.h"
#include "controller/monitor/address_discovery.h"
#include "controller/monitor/ascii_case.h"
#include "controller/monitor/http_fetch.h"
#include "controller/monitor/status_text.h"
#include "controller/service/port_mapping.h"
#include "controller/shell/brix7_dlg.h"

std::string Cbrix7Dlg::BuildStatusText(bool mode, const std::string& user,
                                       const std::string& answer) {
  auto lock = LockState();
  StatusFields fields{m_localIp,    m_httpPort,       m_httpsPort,
                      m_externalIp, m_routerHttpPort, m_routerHttpsPort};
  return ::BuildStatusText(mode, user, answer, fields);
}

int Cbrix7Dlg::CheckReverseDetection(const std::string& user) {
  Addresses now;
  {
    auto lock = LockState();
    now = SnapshotAddresses();
    m_checkedPortChanges = m_portChanges;
  }
  int result = 1;
  std::string answer;
  if (!now.externalIp.empty()) {
    char url[256] = {};
    std::snprintf(url, sizeof url, "http://%s:%d/pc2/ReverseDetection.php",
                  now.externalIp.c_str(), now.routerHttpPort);
    result = FetchUrlText(env(), url, answer, m_httpOptions);
    if (result == 0) {
      if (answer.empty()) {
        result = 5;
      } else if (!EqualsIgnoringAsciiCase(answer, user)) {
        result = 4;
      }
    }
  }
  auto lock = LockState();
  if (result == 0) {
    SetTrayStatus(m_hIconRunning, BuildStatusText(true, user, answer));
  } else {
    SetTrayStatus(m_hIconWarning, BuildStatusText(false, user, answer));
  }
  return result;
}

void Cbrix7Dlg::RepublishAddresses() {
  SaveRouterSettings();
  const Addresses now = SnapshotAddresses();
  AddPortMappings(env(), now.localIp, now.routerHttpPort, now.routerHttpsPort,
                  now.httpPort, now.httpsPort);
  SaveAddressFile();
}

int Cbrix7Dlg::RecheckAddresses(const std::string& user, bool noAnswer) {
  // The lookup fills a text of its own, so the member never shows an
  // empty address while the services are asked, and keeps the old one
  // when none answers.
  std::string found;
  LookupExternalIp(env(), found, m_urls, m_httpOptions);
  if (found.empty()) return 1;
  std::string local;
  GetLocalIp(env(), local);
  // From here on the ports may change: not while a port change runs, and
  // not at all after one, since the check asked about its old ports.
  const PortsClaim claim = ClaimPortsAsChecked();
  if (!claim.owns_lock()) return 0;
  std::string oldExternal;
  std::string oldLocal;
  {
    auto lock = LockState();
    oldExternal = m_externalIp;
    m_externalIp = found;
    oldLocal = m_localIp;
    m_localIp = local;
  }
  auto showUnreachable = [&] {
    auto lock = LockState();
    SetTrayStatus(m_hIconWarning, BuildStatusText(false, user, ""));
  };
  auto save = [this] {
    auto lock = LockState();
    SaveRouterSettings();
    SaveAddressFile();
  };

  if (EqualsIgnoringAsciiCase(local, kLoopbackAddress)) {
    {
      auto lock = LockState();
      m_externalIp = kPlaceholderAddress;
    }
    showUnreachable();
    return 0;
  }
  if (EqualsIgnoringAsciiCase(found, local)) {
    // No router in between: the web server is reached on its own ports.
    {
      auto lock = LockState();
      m_routerHttpPort = m_httpPort;
      m_routerHttpsPort = m_httpsPort;
      save();
    }
    showUnreachable();
    return 0;
  }
  const bool externalSame = EqualsIgnoringAsciiCase(found, oldExternal);
  const bool localSame = EqualsIgnoringAsciiCase(local, oldLocal);
  if (!noAnswer) {
    // Another installation holds our router ports at this address.
    if (externalSame && localSame) RechooseRouterPorts();
    save();
    showUnreachable();
    return 0;
  }
  if (externalSame && localSame) {
    // The router may have dropped the mapping: ask for it again, and
    // leave the tooltip as the reverse check set it.
    const Addresses now = SnapshotAddresses();
    AddPortMappings(env(), now.localIp, now.routerHttpPort, now.routerHttpsPort,
                    now.httpPort, now.httpsPort);
    save();
    return 0;
  }
  if (localSame) {
    save();
  } else {
    RepublishAddresses();
  }
  showUnreachable();
  return 0;
}
