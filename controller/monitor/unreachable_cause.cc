#include "controller/monitor/unreachable_cause.h"

#include "controller/monitor/ipv4_kind.h"

namespace {

using Gateway = RouterStatus::Gateway;

constexpr char kUnknown[] = "?";

// The public address as evidence, when the lookups gave one.
std::optional<std::string> KnownPublic(const DiagnosisInput& input) {
  if (ClassifyIpv4(input.externalIp) != Ipv4Kind::kPublic) return std::nullopt;
  return input.externalIp;
}

// A second NAT between the router and the Internet: the router's WAN
// address is private or shared while the lookups see a public one; or the
// router, a gateway that says it is not connected, keeps its WAN address to
// itself while the lookups still work.
std::optional<Cause> SecondNat(const DiagnosisInput& input) {
  const auto publicAddress = KnownPublic(input);
  if (!input.router || !publicAddress) return std::nullopt;
  const RouterStatus& status = input.router->status;
  const Ipv4Kind wan = ClassifyIpv4(status.wanAddress);
  if (status.gateway == Gateway::kNone) return std::nullopt;
  if (wan == Ipv4Kind::kShared) {
    return Cause{"cgnat", {status.wanAddress, *publicAddress}};
  }
  if (wan == Ipv4Kind::kPrivate) {
    return Cause{"double-nat", {status.wanAddress, *publicAddress}};
  }
  if (status.gateway == Gateway::kNotConnected && wan != Ipv4Kind::kPublic) {
    return Cause{"double-nat", {kUnknown, *publicAddress}};
  }
  return std::nullopt;
}

bool IsMappedHere(const DiagnosisInput& input, int routerPort, int webPort) {
  for (const RouterMapping& mapping : input.router->mappings) {
    if (mapping.externalPort == routerPort && mapping.protocol == "TCP" &&
        mapping.internalAddress == input.localIp &&
        mapping.internalPort == webPort) {
      return true;
    }
  }
  return false;
}

// The two router ports with their web-server ports; one pair when equal.
std::vector<std::pair<int, int>> Publications(const DiagnosisInput& input) {
  std::vector<std::pair<int, int>> pairs = {
      {input.routerHttpPort, input.httpPort}};
  if (input.routerHttpsPort != input.routerHttpPort) {
    pairs.emplace_back(input.routerHttpsPort, input.httpsPort);
  }
  return pairs;
}

bool GatewayAnswered(const DiagnosisInput& input) {
  return input.router && input.router->status.gateway != Gateway::kNone;
}

}  // namespace

bool NeedsRouter(const DiagnosisInput& input) {
  return IsBehindNat(ClassifyIpv4(input.localIp));
}

std::vector<int> PortsToProbe(const DiagnosisInput& input) {
  std::vector<int> ports;
  if (!NeedsRouter(input) || !GatewayAnswered(input) || SecondNat(input)) {
    return ports;
  }
  for (const auto& [routerPort, webPort] : Publications(input)) {
    if (!IsMappedHere(input, routerPort, webPort)) ports.push_back(routerPort);
  }
  return ports;
}

std::vector<Cause> DiagnoseUnreachable(const DiagnosisInput& input) {
  const Ipv4Kind lan = ClassifyIpv4(input.localIp);
  if (lan == Ipv4Kind::kPublic) return {{"public-lan", {input.localIp}}};
  if (!NeedsRouter(input) || !input.router) return {};
  if (!GatewayAnswered(input)) return {{"no-upnp", {}}};
  if (auto nat = SecondNat(input)) return {*nat};
  std::vector<Cause> refused;
  for (const auto& [port, code] : input.router->refusals) {
    refused.push_back(
        {"refused", {std::to_string(port), std::to_string(code)}});
  }
  if (!refused.empty()) return refused;
  if (!input.anotherAnswered &&
      input.router->status.gateway == Gateway::kConnected &&
      IsMappedHere(input, input.routerHttpPort, input.httpPort)) {
    return {{"no-loopback", {std::to_string(input.routerHttpPort)}}};
  }
  return {};
}

std::string FormatCauses(const std::vector<Cause>& causes) {
  std::string text;
  for (const Cause& cause : causes) {
    text += cause.keyword;
    for (const std::string& word : cause.evidence) text += " " + word;
    text += "\n";
  }
  return text;
}
