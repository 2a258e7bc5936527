// Router port forwardings, asked of the router through upnpc.exe in the
// install folder.  The commands are started hidden and never waited for;
// fixed pauses pace them, and nothing of their outcome is read.
#ifndef BRAMO_CONTROLLER_SERVICE_PORT_MAPPING_H_
#define BRAMO_CONTROLLER_SERVICE_PORT_MAPPING_H_

#include <set>
#include <string>

#include "platform/env.h"

// True for 10.x.x.x, 172.16.x.x to 172.31.x.x and 192.168.x.x: the first
// two fields of the dotted text, each read by the atoi rule.
bool IsPrivateAddress(const std::string& address);

// Forwards the router ports to the web-server ports of `localIp`: HTTP,
// then HTTPS, 2000 ms after each.  Does nothing for an address that is not
// private.  Returns 0.
int AddPortMappings(platform::Env& env, const std::string& localIp,
                    int routerHttpPort, int routerHttpsPort, int httpPort,
                    int httpsPort);

// Removes the forwarding of each router port, in ascending order, 1000 ms
// after each.  Returns 0.
int RemovePortMappings(platform::Env& env, const std::set<int>& ports);

// The same for two ports; equal ports give one removal.
int RemovePortMappings(platform::Env& env, int routerHttpPort,
                       int routerHttpsPort);

#endif  // BRAMO_CONTROLLER_SERVICE_PORT_MAPPING_H_
