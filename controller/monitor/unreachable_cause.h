// Why the server cannot be reached from outside, told apart from what the
// PC itself can see: its LAN address, the public address the lookup
// services gave, the router ports, and what the router says through upnpc.
// Pure: the asking is done by router_probe.h.
//
// The causes, as the diagnosis file and the home page name them (one a
// line: the keyword, then its evidence separated by blanks):
//   public-lan LAN          the LAN address is itself public: no router
//                           between; the firewall or the ISP blocks
//   no-upnp                 no router answered UPnP (off or missing)
//   double-nat WAN PUBLIC   the router's WAN address is private (a second
//                           NAT, the ISP's modem), or the router says its
//                           WAN side is not connected and keeps the address
//                           to itself (WAN is then "?"), while the lookups
//                           see PUBLIC
//   cgnat WAN PUBLIC        the router's WAN address is in 100.64.0.0/10:
//                           the carrier's own NAT
//   refused PORT CODE       the router refused to map its port PORT, with
//                           that UPnP error code
//   no-loopback PORT        the router maps PORT to this PC's web server
//                           and shows no second NAT, yet the check from the
//                           PC fails: the router does not let the PC reach
//                           its own public address, or its firewall drops
//                           the forwarded connection
#ifndef BRAMO_CONTROLLER_MONITOR_UNREACHABLE_CAUSE_H_
#define BRAMO_CONTROLLER_MONITOR_UNREACHABLE_CAUSE_H_

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "controller/monitor/upnpc_report.h"

// What the router said.
struct RouterFacts {
  RouterStatus status;                  // upnpc -s
  std::vector<RouterMapping> mappings;  // upnpc -l
  // Router ports whose mapping was missing, with the error code the router
  // gave when asked for it again.
  std::map<int, int> refusals;
};

struct DiagnosisInput {
  std::string localIp;
  std::string externalIp;  // what the lookup services gave; may be stale
  int httpPort = 0;
  int httpsPort = 0;
  int routerHttpPort = 0;
  int routerHttpsPort = 0;
  // The check reached another installation: the ports are taken, which
  // the monitor repairs on its own, so the mappings prove nothing.
  bool anotherAnswered = false;
  // Empty when the router could not be asked (upnpc missing or hanging).
  std::optional<RouterFacts> router;
};

struct Cause {
  std::string keyword;
  std::vector<std::string> evidence;
  bool operator==(const Cause& other) const {
    return keyword == other.keyword && evidence == other.evidence;
  }
};

// Whether the router has to be asked at all: not when the LAN address alone
// decides (a public one), nor when there is no network (loopback, none).
bool NeedsRouter(const DiagnosisInput& input);

// The router ports whose mapping to this PC's web server the router does
// not list, to be asked for again so that a refusal shows its code.  Empty
// when the router answers as no gateway, or a second NAT is seen already.
std::vector<int> PortsToProbe(const DiagnosisInput& input);

// The causes found, most basic first; empty when none can be told.  Each
// rule that holds ends the search, so the user is given the one thing to
// fix first (a refused mapping behind a second NAT is no news, say).
std::vector<Cause> DiagnoseUnreachable(const DiagnosisInput& input);

// The diagnosis file's text: one cause a line, each line ended by "\n".
std::string FormatCauses(const std::vector<Cause>& causes);

#endif  // BRAMO_CONTROLLER_MONITOR_UNREACHABLE_CAUSE_H_
