#include "controller/monitor/address_discovery.h"

#include "controller/config/router_settings.h"
#include "controller/config/settings_file.h"
#include "controller/monitor/ascii_case.h"
#include "controller/monitor/http_fetch.h"
#include "controller/service/port_conflicts.h"
#include "controller/service/port_mapping.h"
#include "controller/shell/brix7_dlg.h"

void GetLocalIp(platform::Env& env, std::string& text) {
  text = env.LocalIpv4Address();
}

void LookupExternalIp(platform::Env& env, std::string& text,
                      std::set<std::string> urls,
                      const platform::HttpOptions& options) {
  text.clear();
  for (const std::string& url : urls) {
    // FetchExternalIp keeps only what passed the address check, so no
    // line end or other stray byte can reach the settings file.
    if (FetchExternalIp(env, url.c_str(), text, options) == 0) return;
  }
}

int DiscoverAddresses(Cbrix7Dlg& dialog) {
  platform::Env& env = dialog.env();
  dialog.m_localIp.clear();
  GetLocalIp(env, dialog.m_localIp);
  if (EqualsIgnoringAsciiCase(dialog.m_localIp, kLoopbackAddress)) {
    dialog.m_externalIp.clear();
    return 0;
  }
  dialog.m_externalIp.clear();
  LookupExternalIp(env, dialog.m_externalIp, dialog.m_urls,
                   dialog.m_httpOptions);
  ReadRouterPorts(env, dialog.m_appDir, dialog.m_routerHttpPort,
                  dialog.m_routerHttpsPort);
  return 0;
}

void SetUpPublication(Cbrix7Dlg& dialog) {
  if (!EqualsIgnoringAsciiCase(dialog.m_localIp, dialog.m_externalIp)) {
    SetUpRouterMapping(dialog);
    return;
  }
  dialog.m_routerHttpPort = dialog.m_httpPort;
  dialog.m_routerHttpsPort = dialog.m_httpsPort;
}

int SetUpRouterMapping(Cbrix7Dlg& dialog) {
  platform::Env& env = dialog.env();
  if (dialog.m_routerHttpPort == 0 || dialog.m_routerHttpsPort == 0) {
    ChooseRouterPorts(env, dialog.m_routerHttpPort, dialog.m_routerHttpsPort,
                      dialog.m_routerHttpPort, dialog.m_routerHttpsPort);
    WriteRouterSettings(env, dialog.m_appDir, dialog.m_localIp,
                        dialog.m_externalIp, dialog.m_routerHttpPort,
                        dialog.m_routerHttpsPort);
  }
  AddPortMappings(env, dialog.m_localIp, dialog.m_routerHttpPort,
                  dialog.m_routerHttpsPort, dialog.m_httpPort,
                  dialog.m_httpsPort);
  WriteAddressFile(env, dialog.m_appDir, dialog.m_externalIp,
                   dialog.m_routerHttpPort);
  return 0;
}
