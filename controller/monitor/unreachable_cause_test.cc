// The diagnosis of an unreachable server, from the router's answers to
// what the file says.  The upnpc outputs are those of Debian's miniupnpc
// 2.2.4 client against miniupnpd 2.3.1 in the lab's home networks.
#include "controller/monitor/unreachable_cause.h"

#include <gtest/gtest.h>

#include "controller/monitor/router_probe.h"
#include "platform/fake/fake_env.h"

namespace {

using platform::FakeEnv;
using Trace = std::vector<std::string>;

// A router on the Internet: it reports the address its configuration
// gives it, while the lookups see the lab's 203.0.113.1.
const char kHealthyStatus[] =
    R"(upnpc : miniupnpc library test client, version 2.2.4.
 (c) 2005-2022 Thomas Bernard.
Go to http://miniupnp.free.fr/ or https://miniupnp.tuxfamily.org/
for more information.
List of UPNP devices found on the network :
 desc: http://192.168.77.1:5000/rootDesc.xml
 st: urn:schemas-upnp-org:device:InternetGatewayDevice:1

Found valid IGD : http://192.168.77.1:5000/ctl/IPConn
Local LAN ip address : 192.168.77.2
Connection Type : IP_Routed
Status : Connected, uptime=14359s, LastConnectionError : ERROR_NONE
  Time started : Wed Dec  9 05:09:15 2026
MaxBitRateDown : 1410065408 bps (1410.0 Mbps)   MaxBitRateUp 1410065408 bps (1410.0 Mbps)
ExternalIPAddress = 11.22.33.44
Bytes:   Sent:     1057	Recv:     1139
Packets: Sent:       13	Recv:       13
)";
const char kListHead[] =
    R"(Found valid IGD : http://192.168.77.1:5000/ctl/IPConn
Local LAN ip address : 192.168.77.2
Connection Type : IP_Routed
Status : Connected, uptime=14467s, LastConnectionError : ERROR_NONE
ExternalIPAddress = 11.22.33.44
 i protocol exPort->inAddr:inPort description remoteHost leaseTime
)";
const char kListEnd[] =
    "GetGenericPortMappingEntry() returned 713 (SpecifiedArrayIndexInvalid)\n";
const char kNoGateway[] = "No IGD UPnP Device found on the network !\n";
// A router whose WAN side sits behind the ISP's modem with 192.168.1.2 (or
// the carrier's NAT with 100.64.0.2): miniupnpd hides the address.
const char kNotConnected[] = R"(List of UPNP devices found on the network :
 desc: http://192.168.77.1:5000/rootDesc.xml
 st: urn:schemas-upnp-org:device:InternetGatewayDevice:1

Found a (not connected?) IGD : http://192.168.77.1:5000/ctl/IPConn
No valid UPNP Internet Gateway Device found.
)";
const char kMapped[] = R"(Found valid IGD : http://192.168.77.1:5000/ctl/IPConn
ExternalIPAddress = 11.22.33.44
InternalIP:Port = 192.168.77.2:80
external 11.22.33.44:18080 TCP is redirected to internal 192.168.77.2:80 (duration=604800)
)";

std::string List(const std::string& rows) {
  return kListHead + rows + kListEnd;
}
std::string Refusal(const char* ports, int code, const char* name) {
  return std::string(
             "Found valid IGD : http://192.168.77.1:5000/ctl/IPConn\n"
             "ExternalIPAddress = 11.22.33.44\nAddPortMapping(") +
         ports + ", 192.168.77.2) failed with code " + std::to_string(code) +
         " (" + name + ")\n";
}
std::string WithWan(const std::string& wan) {
  return "Found valid IGD : http://192.168.77.1:5000/ctl/IPConn\n"
         "ExternalIPAddress = " +
         wan + "\n";
}
// A run of upnpc that ended, having written `output` (and `errors`).
FakeEnv::CapturedRun Ran(const std::string& output,
                         const std::string& errors = "") {
  FakeEnv::CapturedRun run;
  run.output = output;
  run.errors = errors;
  run.exit_code = 1;
  return run;
}
FakeEnv::CapturedRun NotStarted() {
  FakeEnv::CapturedRun run;
  run.status = 3;
  run.error = 2;
  return run;
}
FakeEnv::CapturedRun Hangs() {
  FakeEnv::CapturedRun run;
  run.hangs = true;
  return run;
}

// Router HTTP, router HTTPS, web-server HTTP, web-server HTTPS.
struct Ports {
  int routerHttp, routerHttps, http, https;
};
constexpr Ports kAuto{18080, 18443, 80, 443};
constexpr Ports kLow{80, 443, 80, 443};
constexpr Ports kOneHigh{18080, 443, 80, 443};

struct Case {
  const char* name;
  std::string localIp;
  Ports ports;
  std::vector<FakeEnv::CapturedRun> answers;  // of the runs, in order
  std::string expected;                       // the diagnosis file's text
  Trace runs;                                 // upnpc's arguments, in order
  bool anotherAnswered = false;
};

TEST(UnreachableCauseTest, EachHomeNetworkGetsItsCause) {
  const std::string a18080 = "-a 192.168.77.2 80 18080 tcp";
  const std::string a18443 = "-a 192.168.77.2 443 18443 tcp";
  const std::string pc = "192.168.77.2";
  const std::vector<Case> cases = {
      {"public LAN address",
       "198.51.100.7",
       kLow,
       {},
       "public-lan 198.51.100.7\n",
       {}},
      {"no router asked without a network", "127.0.0.1", kAuto, {}, "", {}},
      {"upnpc cannot be started", pc, kAuto, {NotStarted()}, "", {"-s"}},
      {"upnpc hangs", pc, kAuto, {Hangs()}, "", {"-s"}},
      {"UPnP off", pc, kAuto, {Ran("", kNoGateway)}, "no-upnp\n", {"-s"}},
      {"second NAT, address hidden",
       pc,
       kAuto,
       {Ran(kNotConnected)},
       "double-nat ? 203.0.113.1\n",
       {"-s"}},
      {"second NAT, address given",
       pc,
       kAuto,
       {Ran(WithWan("192.168.1.2"))},
       "double-nat 192.168.1.2 203.0.113.1\n",
       {"-s"}},
      {"carrier-grade NAT",
       pc,
       kAuto,
       {Ran(WithWan("100.64.0.2"))},
       "cgnat 100.64.0.2 203.0.113.1\n",
       {"-s"}},
      {"ports below 1024 refused",
       pc,
       kLow,
       {Ran(kHealthyStatus),
        Ran(List(" 0 TCP 18080->192.168.77.2:80    'libminiupnpc' '' 1\n")),
        Ran(Refusal("80, 80", 606, "Action not authorized")),
        Ran(Refusal("443, 443", 606, "Action not authorized"))},
       "refused 80 606\nrefused 443 606\n",
       {"-s", "-l", "-a 192.168.77.2 80 80 tcp",
        "-a 192.168.77.2 443 443 tcp"}},
      {"every mapping refused, one listed",
       pc,
       kAuto,
       {Ran(kHealthyStatus),
        Ran(List(" 0 TCP 18443->192.168.77.2:443   'libminiupnpc' '' 1\n")),
        Ran(Refusal("18080, 80", 606, "Action not authorized"))},
       "refused 18080 606\n",
       {"-s", "-l", a18080}},
      {"the port taken by another PC",
       pc,
       kAuto,
       {Ran(kHealthyStatus),
        Ran(List(" 0 TCP 18080->192.168.77.9:80    'libminiupnpc' '' 1\n"
                 " 1 TCP 18443->192.168.77.2:443   'libminiupnpc' '' 1\n")),
        Ran(Refusal("18080, 80", 718, "ConflictInMappingEntry"))},
       "refused 18080 718\n",
       {"-s", "-l", a18080}},
      {"mapped, yet the check fails",
       pc,
       kOneHigh,
       {Ran(kHealthyStatus),
        Ran(List(" 0 TCP 18080->192.168.77.2:80    'libminiupnpc' '' 1\n"
                 " 1 TCP   443->192.168.77.2:443   'libminiupnpc' '' 1\n"))},
       "no-loopback 18080\n",
       {"-s", "-l"}},
      {"healthy: a lost mapping made again",
       pc,
       kAuto,
       {Ran(kHealthyStatus), Ran(List("")), Ran(kMapped), Ran(kMapped)},
       "",
       {"-s", "-l", a18080, a18443}},
      {"another installation answered",
       pc,
       kAuto,
       {Ran(kHealthyStatus),
        Ran(List(" 0 TCP 18080->192.168.77.2:80    'libminiupnpc' '' 1\n"
                 " 1 TCP 18443->192.168.77.2:443   'libminiupnpc' '' 1\n"))},
       "",
       {"-s", "-l"},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeEnv env;
    env.captured_runs.assign(c.answers.begin(), c.answers.end());
    DiagnosisInput input;
    input.localIp = c.localIp;
    input.externalIp = "203.0.113.1";
    input.routerHttpPort = c.ports.routerHttp;
    input.routerHttpsPort = c.ports.routerHttps;
    input.httpPort = c.ports.http;
    input.httpsPort = c.ports.https;
    input.anotherAnswered = c.anotherAnswered;
    if (NeedsRouter(input)) input.router = AskRouter(env, input);
    EXPECT_EQ(FormatCauses(DiagnoseUnreachable(input)), c.expected);
    Trace runs;
    for (const std::string& line : env.trace()) {
      const std::string head = "run upnpc.exe ";
      const std::string tail = " (at most 10000 ms)";
      ASSERT_EQ(line.rfind(head, 0), 0u) << line;
      ASSERT_EQ(line.substr(line.size() - tail.size()), tail) << line;
      runs.push_back(
          line.substr(head.size(), line.size() - head.size() - tail.size()));
    }
    EXPECT_EQ(runs, c.runs);
  }
}

// Without a public address from the lookups a router's private WAN
// address proves nothing: the Internet itself may be down.
TEST(UnreachableCauseTest, NoSecondNatWithoutAPublicAddress) {
  for (const char* seen : {"", "0.0.0.0", "192.168.1.2"}) {
    DiagnosisInput input;
    input.localIp = "192.168.77.2";
    input.externalIp = seen;
    input.router = RouterFacts{ReadUpnpcStatus(kNotConnected), {}, {}};
    EXPECT_EQ(FormatCauses(DiagnoseUnreachable(input)), "") << seen;
    input.router->status = ReadUpnpcStatus(WithWan("192.168.1.2"));
    EXPECT_TRUE(DiagnoseUnreachable(input).empty()) << seen;
  }
}

TEST(UpnpcReportTest, ReadsTheStatusTheListAndARefusal) {
  const RouterStatus status = ReadUpnpcStatus(kHealthyStatus);
  EXPECT_EQ(status.gateway, RouterStatus::Gateway::kConnected);
  EXPECT_EQ(status.wanAddress, "11.22.33.44");
  EXPECT_EQ(ReadUpnpcStatus(kNoGateway).gateway, RouterStatus::Gateway::kNone);
  EXPECT_EQ(ReadUpnpcStatus(kNotConnected).gateway,
            RouterStatus::Gateway::kNotConnected);
  EXPECT_EQ(ReadUpnpcStatus(kNotConnected).wanAddress, "");

  const auto mappings = ReadUpnpcList(
      List(" 0 TCP 18080->192.168.77.2:80    'libminiupnpc' '' 604797\r\n"
           " 1 UDP   443->192.168.77.3:4433  'x' '' 1\n"));
  ASSERT_EQ(mappings.size(), 2u);
  EXPECT_EQ(mappings[0].externalPort, 18080);
  EXPECT_EQ(mappings[0].protocol, "TCP");
  EXPECT_EQ(mappings[0].internalAddress, "192.168.77.2");
  EXPECT_EQ(mappings[0].internalPort, 80);
  EXPECT_EQ(mappings[1].externalPort, 443);
  EXPECT_EQ(mappings[1].protocol, "UDP");
  EXPECT_EQ(mappings[1].internalAddress, "192.168.77.3");
  EXPECT_EQ(mappings[1].internalPort, 4433);
  EXPECT_TRUE(ReadUpnpcList(kHealthyStatus).empty());

  EXPECT_EQ(ReadUpnpcRefusal(Refusal("80, 80", 606, "Action not authorized")),
            606);
  EXPECT_EQ(ReadUpnpcRefusal(kMapped), std::nullopt);
  EXPECT_EQ(ReadUpnpcRefusal(kListEnd), std::nullopt);
}

}  // namespace
