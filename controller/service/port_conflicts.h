// Ports in use by others: on this machine (a foreign program on the web
// server's ports) and on the router (another installation on the router
// ports).
#ifndef BRAMO_CONTROLLER_SERVICE_PORT_CONFLICTS_H_
#define BRAMO_CONTROLLER_SERVICE_PORT_CONFLICTS_H_

#include "platform/env.h"

// Router ports are chosen from this range, both ends included.
inline constexpr int kRouterPortFirst = 10000;
inline constexpr int kRouterPortLast = 19999;

// Frees the web server's ports, HTTP first: the process holding each one
// is ended 1000 ms after it was found, unless it is a web server
// (httpd.exe).  Stops at the first lookup that fails and returns its
// result; 0 otherwise.
int FreePorts(platform::Env& env, int httpPort, int httpsPort);

// Draws two new router ports at random, `rand() % 10000 + 10000` with the
// generator seeded from the time before every draw.  The first differs from
// both old ports, the second from both old ports and the first; every
// rejected draw waits 2000 ms.  Returns 0.
int ChooseRouterPorts(platform::Env& env, int oldHttp, int oldHttps,
                      int& newHttp, int& newHttps);

#endif  // BRAMO_CONTROLLER_SERVICE_PORT_CONFLICTS_H_
