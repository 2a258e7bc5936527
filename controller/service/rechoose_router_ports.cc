#include "controller/config/router_settings.h"
#include "controller/service/port_conflicts.h"
#include "controller/service/port_mapping.h"
#include "controller/shell/brix7_dlg.h"

void Cbrix7Dlg::RechooseRouterPorts() {
  platform::Env& env = this->env();
  const int oldHttp = m_routerHttpPort;
  const int oldHttps = m_routerHttpsPort;
  ChooseRouterPorts(env, oldHttp, oldHttps, m_routerHttpPort,
                    m_routerHttpsPort);
  WriteRouterSettings(env, m_appDir, m_localIp, m_externalIp, m_routerHttpPort,
                      m_routerHttpsPort);
  WriteAddressFile(env, m_appDir, m_externalIp, m_routerHttpPort);
  AddPortMappings(env, m_localIp, m_routerHttpPort, m_routerHttpsPort,
                  m_httpPort, m_httpsPort);
  RemovePortMappings(env, oldHttp, oldHttps);
}
