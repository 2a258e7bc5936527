// The TCP table's port owners and the machine's LAN address.
// One concern of the platform seam; Env (platform/env.h) joins them all.
#ifndef BRAMO_PLATFORM_NETWORK_H_
#define BRAMO_PLATFORM_NETWORK_H_

#include <cstdint>
#include <string>

namespace platform {

class Network {
 public:
  virtual ~Network() = default;

  // ---- Ports ---------------------------------------------------------

  // Finds the process that holds local TCP port `port` over IPv4: the
  // first row of the system's TCP table, in its order and of any state,
  // whose local port matches.  Returns 0 with *pid set when a row matched
  // (left as it was otherwise, also when the table cannot be read), or 1
  // when the table's library cannot be had at all.
  virtual int FindPortOwner(int port, uint32_t* pid) = 0;

  // Ends process `pid` unless its program is "httpd.exe" (without regard
  // to case), which is left running.  Returns 0 when ended, spared or
  // already gone; 3 when a step failed (no right to end it, or it is this
  // process or the system's first one, which are never ended).
  virtual int TerminatePortOwner(uint32_t pid) = 0;

  // ---- Network -------------------------------------------------------

  // The machine's LAN address as dotted text ("%d.%d.%d.%d" of its four
  // bytes in memory order): on Windows the first address the resolver
  // gives for the machine's own host name (gethostname, gethostbyname),
  // which lists its adapters' addresses; on Linux the first IPv4 address of
  // an interface that is up and not loopback, in the order getifaddrs
  // lists them, or "127.0.0.1" when there is none.  Empty when the name or
  // the interface list cannot be had.
  virtual std::string LocalIpv4Address() = 0;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_NETWORK_H_
