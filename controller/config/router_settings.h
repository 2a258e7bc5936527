// The router ports and addresses in sablo.ini and the files beside it
// that other programs read.
#ifndef BRAMO_CONTROLLER_CONFIG_ROUTER_SETTINGS_H_
#define BRAMO_CONTROLLER_CONFIG_ROUTER_SETTINGS_H_

#include <string>

#include "platform/env.h"

// Writes upnp.http.port, upnp.https.port (section "upnp"), ip.external and
// ip.internal (section "ip") to folder + "sablo.ini", in that order, then
// the web application's https_port file with the router HTTPS port.
// Addresses are written as they are, also when empty.
void WriteRouterSettings(platform::Env& env, const std::string& folder,
                         const std::string& localIp,
                         const std::string& externalIp, int routerHttpPort,
                         int routerHttpsPort);

// Writes the address file folder + "\\ip": "<public address>:<router HTTP
// port>" and a CR LF.  Returns 0.
int WriteAddressFile(platform::Env& env, const std::string& folder,
                     const std::string& externalIp, int routerHttpPort);

// WriteAddressFile, but a file that holds these bytes already is left
// alone.  Returns 0.
int RefreshAddressFile(platform::Env& env, const std::string& folder,
                       const std::string& externalIp, int routerHttpPort);

#endif  // BRAMO_CONTROLLER_CONFIG_ROUTER_SETTINGS_H_
