#include <gtest/gtest.h>

#include "controller/monitor/status_text.h"
#include "controller/shell/brix7_dlg.h"
#include "controller/shell/gbk_text.h"
#include "platform/fake/fake_env.h"
#include "testing/temp_folder.h"

namespace {

using platform::FakeEnv;
using platform::HttpResult;
using testing_support::TempFolder;
using Trace = std::vector<std::string>;

const char kReverseUrl[] = "http://58.1.2.3:12345/pc2/ReverseDetection.php";
const char kLookupA[] = "http://a.lookup.test/";
const char kLookupB[] = "http://b.lookup.test/";

// A running installation behind a router: LAN 192.168.1.20, web server
// on 80/443, public 58.1.2.3, router ports 12345/13579.
class MonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("website/pc2/database/.keep", "");
    // The tray icon without the start sequence.
    dlg.AddTrayIcon("Bramo正在初始化...");
    dlg.m_appDir = dir.windows_path();
    dlg.m_localIp = "192.168.1.20";
    dlg.m_externalIp = "58.1.2.3";
    dlg.m_routerHttpPort = 12345;
    dlg.m_routerHttpsPort = 13579;
    dlg.m_urls = {kLookupA, kLookupB};
    env.local_ip = "192.168.1.20";
    Lookup(kLookupA, "58.1.2.3");
    env.ClearTrace();
  }
  void Lookup(const std::string& url, const std::string& body,
              HttpResult result = HttpResult::kOk) {
    env.http_answers[url] = {result, 200, body};
  }
  std::string Tip() const { return env.tray_icons().at(128); }
  // The tray changes of the trace, as "<role> <tip>".
  Trace TrayChanges() const {
    Trace changes;
    for (const std::string& line : env.TraceStartingWith("tray modify ")) {
      changes.push_back(line.substr(12, line.find(' ', 12) - 12));
    }
    return changes;
  }
  std::string Unreachable() { return dlg.BuildStatusText(false, "bob", ""); }
  std::string ini() const { return dlg.m_appDir + "sablo.ini"; }

  TempFolder dir;
  FakeEnv env;
  Cbrix7Dlg dlg{&env};
};

using ReverseCheckTest = MonitorTest;

TEST_F(ReverseCheckTest, TheOwnNameInAnyLetterCaseIsAMatch) {
  Lookup(kReverseUrl, "BoB");
  EXPECT_EQ(dlg.CheckReverseDetection("bob"), 0);
  EXPECT_EQ(env.trace().front(),
            std::string("http get ") + kReverseUrl + " agent=DadoRE/1.0");
  EXPECT_EQ(TrayChanges(), (Trace{"running"}));
  // The running text fits the tooltip whole.
  EXPECT_EQ(Tip(), dlg.BuildStatusText(true, "bob", "bob"));
  EXPECT_EQ(Tip().size(), 95u);
}

TEST_F(ReverseCheckTest, ANameWithALineEndIsAnotherInstallation) {
  Lookup(kReverseUrl, "bob\r\n");
  EXPECT_EQ(dlg.CheckReverseDetection("bob"), 4);
  EXPECT_EQ(TrayChanges(), (Trace{"warning"}));
  const std::string wrong = dlg.BuildStatusText(false, "bob", "bob\r\n");
  EXPECT_NE(wrong, Unreachable());
  EXPECT_EQ(Tip(), CutGbk(wrong, 127));
  EXPECT_EQ(Tip().size(), 126u);
}

TEST_F(ReverseCheckTest, ChineseNamesMatchByteForByte) {
  Lookup(kReverseUrl, "张三");
  EXPECT_EQ(dlg.CheckReverseDetection("张三"), 0);
  EXPECT_EQ(dlg.CheckReverseDetection("张四"), 4);
  Lookup(kReverseUrl, "\x81\x41");
  EXPECT_EQ(dlg.CheckReverseDetection("\x81\x61"), 4);
}

TEST_F(ReverseCheckTest, FailuresShowTheUnreachableText) {
  struct Case {
    const char* name;
    HttpResult result;
    std::string body;
    int expected;
  } cases[] = {
      {"empty answer", HttpResult::kOk, "", 5},
      {"nobody listens", HttpResult::kUrlFailed, "", 6},
      {"read broke off", HttpResult::kReadFailed, "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Lookup(kReverseUrl, c.body, c.result);
    EXPECT_EQ(dlg.CheckReverseDetection("bob"), c.expected);
    EXPECT_EQ(env.tray_icons().size(), 1u);
    EXPECT_EQ(Tip(), CutGbk(Unreachable(), 127));
    EXPECT_EQ(Tip().size(), 127u);
  }
  env.http_session_fails = true;
  EXPECT_EQ(dlg.CheckReverseDetection("bob"), 1);
  EXPECT_EQ(TrayChanges(), Trace(4, "warning"));
}

TEST_F(ReverseCheckTest, NoPublicAddressAsksNobody) {
  dlg.m_externalIp.clear();
  EXPECT_EQ(dlg.CheckReverseDetection("bob"), 1);
  EXPECT_TRUE(env.TraceStartingWith("http get").empty());
  EXPECT_EQ(TrayChanges(), (Trace{"warning"}));
  EXPECT_EQ(Tip(), CutGbk(Unreachable(), 127));
}

TEST_F(ReverseCheckTest, TheRouterPortAndAddressMakeTheUrl) {
  dlg.m_externalIp = "0.0.0.0";
  dlg.m_routerHttpPort = 80;
  EXPECT_EQ(dlg.CheckReverseDetection("bob"), 6);
  EXPECT_EQ(env.TraceStartingWith("http get"),
            (Trace{"http get http://0.0.0.0:80/pc2/ReverseDetection.php "
                   "agent=DadoRE/1.0"}));
}

TEST_F(ReverseCheckTest, TheMonitorsStopCancelsTheChecksAndLookups) {
  Lookup(kReverseUrl, "bob");
  platform::HttpCancel stop;
  stop.Cancel();
  dlg.m_httpOptions.cancel = &stop;
  EXPECT_EQ(dlg.CheckReverseDetection("bob"), 6);
  EXPECT_EQ(dlg.RecheckAddresses("bob", true), 1);
  EXPECT_EQ(dlg.m_externalIp, "58.1.2.3");
}

using RecheckTest = MonitorTest;

TEST_F(RecheckTest, NoLookupServiceAnsweringChangesNothing) {
  env.http_answers.clear();
  Lookup(kLookupB, "not an address");
  EXPECT_EQ(dlg.RecheckAddresses("bob", true), 1);
  EXPECT_EQ(dlg.m_externalIp, "58.1.2.3");
  EXPECT_EQ(env.trace(),
            (Trace{std::string("http get ") + kLookupA + " agent=DadoRE/1.0",
                   std::string("http get ") + kLookupB +
                       " agent=DadoRE/1.0"}));
  EXPECT_FALSE(dir.Exists("sablo.ini"));
}

TEST_F(RecheckTest, TheLoopbackAddressLeavesAPlaceholder) {
  env.local_ip = "127.0.0.1";
  EXPECT_EQ(dlg.RecheckAddresses("bob", true), 0);
  EXPECT_EQ(dlg.m_localIp, "127.0.0.1");
  EXPECT_EQ(dlg.m_externalIp, "0.0.0.0");
  EXPECT_EQ(TrayChanges(), (Trace{"warning"}));
  EXPECT_EQ(Tip(), CutGbk(Unreachable(), 127));
  EXPECT_TRUE(env.TraceStartingWith("write").empty());
  EXPECT_TRUE(env.TraceStartingWith("exec").empty());
  // The next reverse check goes to the placeholder and fails.
  EXPECT_EQ(dlg.CheckReverseDetection("bob"), 6);
}

TEST_F(RecheckTest, APublicLanAddressIsReachedOnTheServersOwnPorts) {
  env.local_ip = "58.1.2.3";
  EXPECT_EQ(dlg.RecheckAddresses("bob", true), 0);
  EXPECT_EQ(dlg.m_routerHttpPort, 80);
  EXPECT_EQ(dlg.m_routerHttpsPort, 443);
  EXPECT_EQ(dir.Read("sablo.ini"),
            "[upnp]\r\nupnp.http.port=80\r\nupnp.https.port=443\r\n"
            "[ip]\r\nip.external=58.1.2.3\r\nip.internal=58.1.2.3\r\n");
  EXPECT_EQ(dir.Read("ip"), "58.1.2.3:80\r\n");
  EXPECT_TRUE(env.TraceStartingWith("exec").empty());
  EXPECT_EQ(TrayChanges(), (Trace{"warning"}));
  EXPECT_NE(Tip().find("外网端口：80/443"), std::string::npos);
}

TEST_F(RecheckTest, AnotherInstallationOnUnchangedAddressesMovesThePorts) {
  env.rand_values = {4000, 5000};
  EXPECT_EQ(dlg.RecheckAddresses("bob", false), 0);
  EXPECT_EQ(dlg.m_routerHttpPort, 14000);
  EXPECT_EQ(dlg.m_routerHttpsPort, 15000);
  EXPECT_EQ(env.TraceStartingWith("exec"),
            (Trace{"exec upnpc.exe -a 192.168.1.20 80 14000 tcp",
                   "exec upnpc.exe -a 192.168.1.20 443 15000 tcp",
                   "exec upnpc.exe -d 12345 tcp",
                   "exec upnpc.exe -d 13579 tcp"}));
  EXPECT_EQ(dir.Read("ip"), "58.1.2.3:14000\r\n");
  EXPECT_EQ(TrayChanges(), (Trace{"warning"}));
  EXPECT_NE(Tip().find("外网端口：14000/15000"), std::string::npos);
}

TEST_F(RecheckTest, AnotherInstallationAtANewAddressOnlyRewritesTheFiles) {
  Lookup(kLookupA, "58.9.9.9");
  EXPECT_EQ(dlg.RecheckAddresses("bob", false), 0);
  EXPECT_EQ(dlg.m_routerHttpPort, 12345);
  EXPECT_TRUE(env.TraceStartingWith("exec").empty());
  EXPECT_EQ(dir.Read("ip"), "58.9.9.9:12345\r\n");
  EXPECT_EQ(TrayChanges(), (Trace{"warning"}));
}

// With no answer at all, what happens depends on which address changed.
TEST_F(RecheckTest, NoAnswerActsByWhatChanged) {
  struct Case {
    const char* name;
    const char* external;
    const char* local;
    bool mapped;
    bool tooltip;
  } cases[] = {
      {"public changed", "58.9.9.9", "192.168.1.20", false, true},
      {"LAN changed", "58.1.2.3", "192.168.1.30", true, true},
      {"both changed", "58.9.9.9", "192.168.1.30", true, true},
      {"nothing changed", "58.1.2.3", "192.168.1.20", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dlg.m_externalIp = "58.1.2.3";
    dlg.m_localIp = "192.168.1.20";
    Lookup(kLookupA, c.external);
    env.local_ip = c.local;
    env.ClearTrace();
    EXPECT_EQ(dlg.RecheckAddresses("bob", true), 0);
    EXPECT_EQ(dlg.m_externalIp, c.external);
    EXPECT_EQ(dlg.m_localIp, c.local);
    Trace mappings;
    if (c.mapped) {
      mappings = {std::string("exec upnpc.exe -a ") + c.local + " 80 12345 tcp",
                  std::string("exec upnpc.exe -a ") + c.local +
                      " 443 13579 tcp"};
    }
    EXPECT_EQ(env.TraceStartingWith("exec"), mappings);
    EXPECT_EQ(dir.Read("ip"), std::string(c.external) + ":12345\r\n");
    EXPECT_NE(dir.Read("sablo.ini").find(std::string("ip.internal=") +
                                         c.local + "\r\n"),
              std::string::npos);
    EXPECT_EQ(TrayChanges(), c.tooltip ? Trace{"warning"} : Trace{});
  }
}

TEST_F(RecheckTest, RepublishWritesThenMapsThenWritesTheAddressFile) {
  dlg.RepublishAddresses();
  const Trace trace = env.trace();
  auto at = [&trace](const std::string& line) {
    return std::find(trace.begin(), trace.end(), line) - trace.begin();
  };
  const auto https_port =
      at("write " + dlg.m_appDir + "website\\pc2\\database\\https_port");
  const auto map = at("exec upnpc.exe -a 192.168.1.20 80 12345 tcp");
  const auto ip = at("write " + dlg.m_appDir + "\\ip");
  EXPECT_LT(https_port, map);
  EXPECT_LT(map, ip);
  EXPECT_LT(ip, static_cast<long>(trace.size()));
}

}  // namespace
