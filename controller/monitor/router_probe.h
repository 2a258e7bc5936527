// Asks the router what it knows, for the diagnosis of an unreachable
// server: upnpc.exe run with its status and list commands, and with a
// mapping the router does not list asked for again, each run bounded and
// its output read.  These runs are the diagnosis's own; the publication's
// mapping commands (service/port_mapping.h) stay as they are, unread.
#ifndef BRAMO_CONTROLLER_MONITOR_ROUTER_PROBE_H_
#define BRAMO_CONTROLLER_MONITOR_ROUTER_PROBE_H_

#include <cstdint>
#include <optional>

#include "controller/monitor/unreachable_cause.h"
#include "platform/env.h"

// The longest one run of upnpc.exe may take; one still running then is
// ended.
constexpr uint32_t kRouterProbeLimitMs = 10000;

// "upnpc.exe -s", then, when a gateway answered as connected and its status
// names no cause yet, "upnpc.exe -l", then "upnpc.exe -a <LAN> <port> <router
// port> tcp" for each of PortsToProbe(input).  Nullopt when upnpc.exe cannot be
// started, runs out of its time, or the list cannot be had: the router's state
// is then unknown.  Throws platform::ThreadStopped on a stopped thread, with
// the run under way ended.
std::optional<RouterFacts> AskRouter(platform::Env& env,
                                     const DiagnosisInput& input);

#endif  // BRAMO_CONTROLLER_MONITOR_ROUTER_PROBE_H_
