// The reverse check from outside and the repair that follows a failed one.
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
  StatusFields fields{m_localIp,  m_httpPort,       m_httpsPort,
                      m_externalIp, m_routerHttpPort, m_routerHttpsPort};
  return ::BuildStatusText(mode, user, answer, fields);
}

int Cbrix7Dlg::CheckReverseDetection(const std::string& user) {
  int result = 1;
  std::string answer;
  if (!m_externalIp.empty()) {
    char url[256] = {};
    std::snprintf(url, sizeof url, "http://%s:%d/pc2/ReverseDetection.php",
                  m_externalIp.c_str(), m_routerHttpPort);
    result = FetchUrlText(env(), url, answer, m_httpOptions);
    if (result == 0) {
      if (answer.empty()) {
        result = 5;
      } else if (!EqualsIgnoringAsciiCase(answer, user)) {
        result = 4;
      }
    }
  }
  if (result == 0) {
    SetTrayStatus(m_hIconRunning, BuildStatusText(true, user, answer));
  } else {
    SetTrayStatus(m_hIconWarning, BuildStatusText(false, user, answer));
  }
  return result;
}

void Cbrix7Dlg::RepublishAddresses() {
  WriteRouterSettings(env(), m_appDir, m_localIp, m_externalIp,
                      m_routerHttpPort, m_routerHttpsPort);
  AddPortMappings(env(), m_localIp, m_routerHttpPort, m_routerHttpsPort,
                  m_httpPort, m_httpsPort);
  WriteAddressFile(env(), m_appDir, m_externalIp, m_routerHttpPort);
}

int Cbrix7Dlg::RecheckAddresses(const std::string& user, bool noAnswer) {
  const std::string oldExternal = m_externalIp;
  LookupExternalIp(env(), m_externalIp, m_urls, m_httpOptions);
  if (m_externalIp.empty()) {
    // No service answered: keep publishing under the address we had.
    m_externalIp = oldExternal;
    return 1;
  }
  const std::string oldLocal = m_localIp;
  GetLocalIp(env(), m_localIp);

  if (EqualsIgnoringAsciiCase(m_localIp, kLoopbackAddress)) {
    m_externalIp = kPlaceholderAddress;
    SetTrayStatus(m_hIconWarning, BuildStatusText(false, user, ""));
    return 0;
  }
  auto save = [this] {
    WriteRouterSettings(env(), m_appDir, m_localIp, m_externalIp,
                        m_routerHttpPort, m_routerHttpsPort);
    WriteAddressFile(env(), m_appDir, m_externalIp, m_routerHttpPort);
  };
  if (EqualsIgnoringAsciiCase(m_externalIp, m_localIp)) {
    // No router in between: the web server is reached on its own ports.
    m_routerHttpPort = m_httpPort;
    m_routerHttpsPort = m_httpsPort;
    save();
    SetTrayStatus(m_hIconWarning, BuildStatusText(false, user, ""));
    return 0;
  }
  const bool externalSame = EqualsIgnoringAsciiCase(m_externalIp, oldExternal);
  const bool localSame = EqualsIgnoringAsciiCase(m_localIp, oldLocal);
  if (!noAnswer) {
    // Another installation holds our router ports at this address.
    if (externalSame && localSame) RechooseRouterPorts();
    save();
    SetTrayStatus(m_hIconWarning, BuildStatusText(false, user, ""));
    return 0;
  }
  if (externalSame && localSame) {
    // The router may have dropped the mapping: ask for it again, and
    // leave the tooltip as the reverse check set it.
    AddPortMappings(env(), m_localIp, m_routerHttpPort, m_routerHttpsPort,
                    m_httpPort, m_httpsPort);
    save();
    return 0;
  }
  if (localSame) {
    save();
  } else {
    RepublishAddresses();
  }
  SetTrayStatus(m_hIconWarning, BuildStatusText(false, user, ""));
  return 0;
}
