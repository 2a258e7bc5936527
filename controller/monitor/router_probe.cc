#include "controller/monitor/router_probe.h"

#include <string>

namespace {

// What a bounded run wrote, both streams, when it ran to its end.
std::optional<std::string> RunUpnpc(platform::Env& env,
                                    const std::string& arguments) {
  std::string output;
  std::string errors;
  int exitCode = 0;
  uint32_t error = 0;
  if (env.RunCommandCapturedFor("upnpc.exe " + arguments, kRouterProbeLimitMs,
                                &output, &errors, &exitCode, &error) != 0) {
    return std::nullopt;
  }
  return output + errors;
}

int WebPortOf(const DiagnosisInput& input, int routerPort) {
  return routerPort == input.routerHttpPort ? input.httpPort : input.httpsPort;
}

}  // namespace

std::optional<RouterFacts> AskRouter(platform::Env& env,
                                     const DiagnosisInput& input) {
  const auto status = RunUpnpc(env, "-s");
  if (!status) return std::nullopt;
  RouterFacts facts;
  facts.status = ReadUpnpcStatus(*status);
  DiagnosisInput known = input;
  known.router = facts;
  // The status alone may name the cause (no gateway, a second NAT): the
  // mappings would add nothing.
  if (facts.status.gateway != RouterStatus::Gateway::kConnected ||
      !DiagnoseUnreachable(known).empty()) {
    return facts;
  }
  const auto list = RunUpnpc(env, "-l");
  if (!list) return std::nullopt;
  facts.mappings = ReadUpnpcList(*list);
  known.router = facts;
  for (int port : PortsToProbe(known)) {
    const std::string arguments = "-a " + input.localIp + " " +
                                  std::to_string(WebPortOf(input, port)) + " " +
                                  std::to_string(port) + " tcp";
    const auto answer = RunUpnpc(env, arguments);
    if (!answer) return std::nullopt;
    if (auto code = ReadUpnpcRefusal(*answer)) facts.refusals[port] = *code;
  }
  return facts;
}
