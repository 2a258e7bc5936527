// Finding the machine's two addresses, and the start-up publication
// through the router that follows from them.
#ifndef BRAMO_CONTROLLER_MONITOR_ADDRESS_DISCOVERY_H_
#define BRAMO_CONTROLLER_MONITOR_ADDRESS_DISCOVERY_H_

#include <set>
#include <string>

#include "platform/env.h"

class Cbrix7Dlg;

inline constexpr char kLoopbackAddress[] = "127.0.0.1";
inline constexpr char kPlaceholderAddress[] = "0.0.0.0";

// `text` becomes the machine's LAN address in dotted form, or empty when
// it cannot be had.  On a thread that can be stopped, a stop ends it at
// once (ThreadStopped), even while the resolver is still asked.
void GetLocalIp(platform::Env& env, std::string& text);

// Asks the lookup services in the set's order (byte order of the URLs)
// until one answers with an address.  `text` is that address, or empty
// when none did.  The set is the caller's copy.
void LookupExternalIp(platform::Env& env, std::string& text,
                      const std::set<std::string>& urls,
                      const platform::HttpOptions& options = {});

// Start-up: fills m_localIp; unless it is the loopback address, also
// m_externalIp (empty when no service answers) and the router ports from
// the settings file, whose messages may show.  With the loopback address
// m_externalIp is emptied and the router ports are left alone.  Returns 0.
int DiscoverAddresses(Cbrix7Dlg& dialog);

// Start-up, right after DiscoverAddresses: behind a router (the two
// addresses differ) SetUpRouterMapping; a machine that holds its public
// address itself is reached on the web server's own ports, and nothing is
// mapped.
void SetUpPublication(Cbrix7Dlg& dialog);

// Publishes the web server through the router: when either router port is
// 0, two new ones are chosen and saved with both addresses; then both are
// mapped to the web server's ports and the address file is written.
// Returns 0.
int SetUpRouterMapping(Cbrix7Dlg& dialog);

#endif  // BRAMO_CONTROLLER_MONITOR_ADDRESS_DISCOVERY_H_
