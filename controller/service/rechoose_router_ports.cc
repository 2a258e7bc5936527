#include "controller/config/router_settings.h"
#include "controller/service/port_conflicts.h"
#include "controller/service/port_mapping.h"
#include "controller/shell/brix7_dlg.h"

// Runs on the monitor thread: the draws (which may pause) and the router
// commands work on copies; only the change of the members and the file
// writes hold the state lock.
void Cbrix7Dlg::RechooseRouterPorts() {
  platform::Env& env = this->env();
  const Addresses old = SnapshotAddresses();
  int newHttp = 0, newHttps = 0;
  ChooseRouterPorts(env, old.routerHttpPort, old.routerHttpsPort, newHttp,
                    newHttps);
  {
    auto lock = LockState();
    m_routerHttpPort = newHttp;
    m_routerHttpsPort = newHttps;
    SaveRouterSettings();
    SaveAddressFile();
  }
  const Addresses now = SnapshotAddresses();
  AddPortMappings(env, now.localIp, now.routerHttpPort, now.routerHttpsPort,
                  now.httpPort, now.httpsPort);
  RemovePortMappings(env, old.routerHttpPort, old.routerHttpsPort);
}
