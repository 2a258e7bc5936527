// The LAN address on Linux.  The resolver is no help here: the hosts file
// usually maps the host name to a loopback address, so the interfaces are
// asked directly.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstdio>

#include "platform/posix/posix_env.h"

namespace platform {

std::string PosixEnv::LocalIpv4Address() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return std::string();
  std::string text = "127.0.0.1";
  for (const ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
    if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET) continue;
    if ((it->ifa_flags & IFF_UP) == 0 || (it->ifa_flags & IFF_LOOPBACK) != 0) {
      continue;
    }
    const auto* in = reinterpret_cast<const sockaddr_in*>(it->ifa_addr);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&in->sin_addr);
    char dotted[16] = {};
    std::snprintf(dotted, sizeof dotted, "%d.%d.%d.%d", bytes[0], bytes[1],
                  bytes[2], bytes[3]);
    text = dotted;
    break;
  }
  freeifaddrs(list);
  return text;
}

}  // namespace platform
