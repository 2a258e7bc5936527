// The LAN address on Windows: the resolver's answer for the machine's own
// host name is the list of its adapters' addresses.
#include <winsock2.h>
#include <windows.h>

#include "platform/win32/win32_env.h"

namespace platform {

std::string Win32Env::LocalIpv4Address() {
  std::string text;
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return text;
  char name[256] = {};
  if (gethostname(name, sizeof name) == 0) {
    const hostent* host = gethostbyname(name);
    if (host != nullptr && host->h_addrtype == AF_INET &&
        host->h_addr_list != nullptr && host->h_addr_list[0] != nullptr) {
      // The entry belongs to Winsock: read it before WSACleanup.
      const auto* bytes =
          reinterpret_cast<const unsigned char*>(host->h_addr_list[0]);
      char dotted[16] = {};
      wsprintfA(dotted, "%d.%d.%d.%d", bytes[0], bytes[1], bytes[2],
                bytes[3]);
      text = dotted;
    }
  }
  WSACleanup();
  return text;
}

}  // namespace platform
