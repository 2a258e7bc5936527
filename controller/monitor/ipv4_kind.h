// What kind of IPv4 address a dotted text is, as far as reaching a server
// from the Internet goes.
#ifndef BRAMO_CONTROLLER_MONITOR_IPV4_KIND_H_
#define BRAMO_CONTROLLER_MONITOR_IPV4_KIND_H_

#include <string>

enum class Ipv4Kind {
  kNotAnAddress,  // not four decimal fields of 0 to 255
  kUnspecified,   // 0.0.0.0
  kLoopback,      // 127.0.0.0/8
  kPrivate,       // 10/8, 172.16/12, 192.168/16 (RFC 1918)
  kShared,        // 100.64.0.0/10, the carriers' own NAT (RFC 6598)
  kLinkLocal,     // 169.254.0.0/16
  kPublic,        // anything else: reachable from the Internet in principle
};

// Strict: exactly four fields of one to three digits, each at most 255,
// nothing before or after.
Ipv4Kind ClassifyIpv4(const std::string& text);

// Private or shared: an address behind some NAT.
bool IsBehindNat(Ipv4Kind kind);

#endif  // BRAMO_CONTROLLER_MONITOR_IPV4_KIND_H_
