// What the router client upnpc (miniupnpc's command-line client) prints,
// read back: which gateway answered, the router's outside address, the
// port mappings it lists and the error code of a refused mapping.
#ifndef BRAMO_CONTROLLER_MONITOR_UPNPC_REPORT_H_
#define BRAMO_CONTROLLER_MONITOR_UPNPC_REPORT_H_

#include <optional>
#include <string>
#include <vector>

// The answer of "upnpc -s" (or "-l", which prints the same head).
struct RouterStatus {
  enum class Gateway {
    kNone,          // no Internet gateway device answered
    kConnected,     // "Found valid IGD"
    kNotConnected,  // "Found a (not connected?) IGD": one that says its
                    // WAN side is down, as a router behind another NAT
                    // with a private address often does
  };
  Gateway gateway = Gateway::kNone;
  // The router's outside address as it reports it ("ExternalIPAddress =
  // ..."); empty when it gives none.
  std::string wanAddress;
};

// One line of the mapping list of "upnpc -l":
//   " 1 TCP 10080->192.168.77.2:80    'libminiupnpc' '' 604796"
struct RouterMapping {
  int externalPort = 0;
  std::string protocol;  // as printed: "TCP", "UDP"
  std::string internalAddress;
  int internalPort = 0;
};

// `output` is what the run wrote, standard output and error together.
RouterStatus ReadUpnpcStatus(const std::string& output);
std::vector<RouterMapping> ReadUpnpcList(const std::string& output);

// The error code of "upnpc -a ..." when the router refused the mapping
// ("AddPortMapping(10080, 80, 192.168.77.2) failed with code 718
// (ConflictInMappingEntry)"); nullopt when it reports none.
std::optional<int> ReadUpnpcRefusal(const std::string& output);

#endif  // BRAMO_CONTROLLER_MONITOR_UPNPC_REPORT_H_
