#include "controller/service/web_server_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "controller/shell/brix7_dlg.h"
#include "framework/win_thread.h"
#include "platform/fake/fake_env.h"
#include "testing/file_effects.h"
#include "testing/temp_folder.h"

namespace {

using platform::FakeEnv;
using testing_support::ConfigurationEffects;
using testing_support::FileEffects;
using testing_support::FileWrites;
using testing_support::TempFolder;
using Trace = std::vector<std::string>;

const std::string kPv = "exec apache\\bin\\pv -f -k httpd.exe -q";
const std::string kPskillHttpd = "exec pskill httpd.exe";
const std::string kStartHttpd = "exec apache\\bin\\httpd.exe";
// The web server killed and started again, with its pauses.
const Trace kRestart = {kPv,          "sleep 10000", kPskillHttpd,
                        "sleep 2000", kStartHttpd,   "sleep 2000"};
const std::string kNorvik =
    "exec norvik.exe http://reg.bramo.example/regist/regist.php 0";

Trace Join(std::initializer_list<Trace> parts) {
  Trace all;
  for (const Trace& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

// An installation behind a router: LAN 192.168.1.20, web server on
// 80/443, public 58.1.2.3, router ports 12345/13579, automatic mode.
class WebServerControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("website/pc2/database/.keep", "");
    dir.Write("apache/conf/httpd.conf", "Listen 80  #HTTP#\r\n");
    dir.Write("php/php.ini", "[PHP]\r\n");
    // The tray icon without the start sequence.
    dlg.AddTrayIcon("Bramo正在初始化...");
    dlg.m_appDir = dir.windows_path();
    dlg.m_localIp = "192.168.1.20";
    dlg.m_externalIp = "58.1.2.3";
    dlg.m_routerHttpPort = 12345;
    dlg.m_routerHttpsPort = 13579;
    env.ClearTrace();
  }
  // Everything the sequence did, its file writes included (FileEffects).
  Trace Steps() const { return FileEffects(env.trace(), dlg.m_appDir); }
  std::string Setting(const std::string& section, const std::string& key) {
    return env.GetProfileText(section, key, "(none)", 64,
                              dlg.m_appDir + "sablo.ini");
  }

  TempFolder dir;
  FakeEnv env;
  Cbrix7Dlg dlg{&env};
};

TEST_F(WebServerControlTest, StartWebServerKillsThenStarts) {
  EXPECT_EQ(StartWebServer(env), 0);
  EXPECT_EQ(env.trace(), kRestart);
  EXPECT_EQ(env.now_ms(), 14000u);
}

TEST_F(WebServerControlTest, StopServiceWithoutAMonitorRunsEveryStep) {
  EXPECT_EQ(StopService(&dlg), 0);
  EXPECT_EQ(
      env.trace(),
      (Trace{"tray modify idle \"正在停止Bramo网络服务...\"", kPv,
             "sleep 10000", kPskillHttpd, "sleep 2000", "exec pskill norvik",
             "exec pskill pulvo", "exec pskill curl",
             "tray modify idle \"Bramo停止提供网络服务!\""}));
  EXPECT_EQ(dlg.m_pMonitorThread, nullptr);
}

TEST_F(WebServerControlTest, StartServiceWithoutAUserStillStartsTheMonitor) {
  env.held_pauses = {2000};  // the monitor's poll for a user holds
  EXPECT_EQ(StartService(&dlg), 0);
  ASSERT_NE(dlg.m_pMonitorThread, nullptr);
  EXPECT_EQ(dlg.m_httpOptions.cancel, dlg.m_pMonitorThread->stop_token());
  EXPECT_TRUE(dlg.m_serviceRunning);
  // The monitor's first pass finds no user and pauses (after the two
  // pauses of 2000 ms of the start).
  ASSERT_TRUE(env.AwaitTrace("sleep 2000", 3));
  StopMonitorThread(&dlg);
  EXPECT_EQ(dlg.m_httpOptions.cancel, nullptr);
  const std::string unregistered =
      "tray modify unregistered \"Bramo未注册\\n请注册，享受Bramo带来的方便"
      "与快捷！\\n\"";
  EXPECT_EQ(Steps(), Join({{"tray modify idle \"Bramo启动中...\""},
                           kRestart,
                           {unregistered, "sleep 2000"}}));
}

TEST_F(WebServerControlTest, StartServiceWithAUserShowsNoUnregisteredText) {
  dir.Write("website/pc2/database/current_user", "bob");
  env.held_pauses = {2000};  // the repairing pass's pause holds
  StartService(&dlg);
  ASSERT_TRUE(env.AwaitTrace("sleep 2000", 3));
  StopMonitorThread(&dlg);
  EXPECT_TRUE(env.TraceStartingWith("tray modify unregistered").empty());
  const Trace trace = env.trace();
  EXPECT_EQ(Trace(trace.begin(), trace.begin() + 7),
            Join({{"tray modify idle \"Bramo启动中...\""}, kRestart}));
}

// ApplyNewPorts's thirteen steps with every file they write, for a new
// HTTP port in manual mode, the mode alone changed to automatic, and
// swapped router ports.  A program holding the web server's HTTP port is
// ended (FreePorts takes the web server's ports, not the router's).
TEST_F(WebServerControlTest, ApplyNewPortsRunsItsThirteenSteps) {
  struct Case {
    const char* name;
    int http, https, mode;
    Trace unmaps;
    int web, webs;  // the web server's ports after the change
  } cases[] = {
      {"manual, new HTTP port",
       10090,
       13579,
       1,
       {"exec upnpc.exe -d 12345 tcp", "sleep 1000"},
       10090,
       13579},
      {"automatic, only the mode", 12345, 13579, 0, {}, 80, 443},
      {"automatic, swapped",
       13579,
       12345,
       0,
       {"exec upnpc.exe -d 12345 tcp", "sleep 1000",
        "exec upnpc.exe -d 13579 tcp", "sleep 1000"},
       80,
       443},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dlg.m_routerHttpPort = 12345;
    dlg.m_routerHttpsPort = 13579;
    dlg.m_manualMode = true;
    dlg.m_httpPort = 12345;
    dlg.m_httpsPort = 13579;
    env.port_owners = {{c.web, 4242}};
    env.processes = {{4242, std::string("other.exe")}};
    env.ClearTrace();
    EXPECT_EQ(ApplyNewPorts(&dlg, c.http, c.https, c.mode), 0);
    const std::string web = std::to_string(c.web);
    const std::string webs = std::to_string(c.webs);
    const std::string http = std::to_string(c.http);
    const std::string https = std::to_string(c.https);
    EXPECT_EQ(
        Steps(),
        Join({{"tray modify idle "
               "\"Bramo重启中...\\n更换端口，Bramo需要重启\\n\""},
              // ApplyConfiguration with the new router ports.
              ConfigurationEffects(c.http, c.https, "58.1.2.3", "192.168.1.20"),
              // The mode and the web server's ports.
              {"sablo.ini [pattern] pattern.type=" + std::to_string(c.mode),
               "sablo.ini [apache] apache.http.port=" + web,
               "sablo.ini [apache] apache.https.port=" + webs,
               "write apache\\conf\\httpd.conf",
               "write website\\pc2\\database\\local_port"},
              {kPv, "sleep 10000", kPskillHttpd, "sleep 2000"},
              {"sleep 1000", "terminate 4242"},
              kRestart,
              c.unmaps,
              {"exec upnpc.exe -a 192.168.1.20 " + web + " " + http + " tcp",
               "sleep 2000",
               "exec upnpc.exe -a 192.168.1.20 " + webs + " " + https + " tcp",
               "sleep 2000", "write \\ip", kNorvik, "sleep 2000",
               "tray modify running \"Bramo运行中...\""}}));
    EXPECT_EQ(dlg.m_manualMode, c.mode == 1);
    EXPECT_EQ(Setting("upnp", "upnp.http.port"), http);
    EXPECT_EQ(dir.Read("website/pc2/database/local_port"), web + ":" + webs);
    EXPECT_EQ(dir.Read("ip"), "58.1.2.3:" + http + "\r\n");
    EXPECT_NE(
        dir.Read("apache/conf/httpd.conf").find("Listen " + web + "  #HTTP#"),
        std::string::npos);
  }
}

// The user moves to manual ports 10090/10443 while another installation
// answers at the old router port: the monitor's check found that before
// the change began, and its repair would move the router ports.  It waits
// for the change and then leaves the ports alone; the user's ports end
// up saved, mapped and in the ip file.
TEST_F(WebServerControlTest, APortChangeOwnsThePortsWhileTheMonitorRepairs) {
  const std::string oldCheck =
      "http get http://58.1.2.3:12345/pc2/ReverseDetection.php "
      "agent=DadoRE/1.0";
  dir.Write("website/pc2/database/current_user", "bob");
  dlg.m_urls = {"http://a.lookup.test/"};
  env.http_answers["http://a.lookup.test/"] = {platform::HttpResult::kOk, 200,
                                               "58.1.2.3"};
  env.http_answers["http://58.1.2.3:12345/pc2/ReverseDetection.php"] = {
      platform::HttpResult::kOk, 200, "alice"};
  env.http_answers["http://58.1.2.3:10090/pc2/ReverseDetection.php"] = {
      platform::HttpResult::kOk, 200, "bob"};
  const std::string pulvo =
      "exec pulvo.exe http://reg.bramo.example/regist/regist.php";
  env.held_lines = {oldCheck, kPv, pulvo};
  StartMonitorThread(&dlg);
  ASSERT_TRUE(env.AwaitTrace(oldCheck));
  std::thread change([&] { ApplyNewPorts(&dlg, 10090, 10443, 1); });
  ASSERT_TRUE(env.AwaitTrace(kPv));  // the change holds the ports
  env.Release(oldCheck);
  ASSERT_TRUE(env.AwaitTrace("local ip 192.168.1.20"));
  // The repair waits: no new ports drawn, nothing mapped, no pause.
  EXPECT_FALSE(env.AwaitTrace("sleep 2000", 1, 300));
  env.Release(kPv);
  change.join();
  // It goes on after: its second check reaches the server at the new
  // port, and its next pass finds the ip file the change wrote holding it
  // already, so it is written once.
  ASSERT_TRUE(env.AwaitTrace(pulvo));
  const Trace writes = FileWrites(env.trace(), dlg.m_appDir);
  EXPECT_EQ(std::count(writes.begin(), writes.end(), "write \\ip"), 1);
  env.ReleaseHeld();
  StopMonitorThread(&dlg);
  EXPECT_EQ(env.TraceStartingWith("exec upnpc.exe"),
            (Trace{"exec upnpc.exe -d 12345 tcp", "exec upnpc.exe -d 13579 tcp",
                   "exec upnpc.exe -a 192.168.1.20 10090 10090 tcp",
                   "exec upnpc.exe -a 192.168.1.20 10443 10443 tcp"}));
  EXPECT_EQ(Setting("upnp", "upnp.http.port"), "10090");
  EXPECT_EQ(Setting("upnp", "upnp.https.port"), "10443");
  EXPECT_EQ(dir.Read("ip"), "58.1.2.3:10090\r\n");
  EXPECT_EQ(dlg.m_routerHttpPort, 10090);
  EXPECT_EQ(env.tray_icons().at(128).rfind("Bramo", 0), 0u);
}

// The pass's second check, at the old ports, ended just before a port
// change began: the diagnosis after it waits for the change and then asks
// the router nothing, whose repeat mapping would put the old ports back.
// The next pass, checked at the new ports, asks it again.
TEST_F(WebServerControlTest, ADiagnosisLeavesTheRouterToAPortChange) {
  const std::string secondCheck =
      "http get http://58.1.2.4:12345/pc2/ReverseDetection.php "
      "agent=DadoRE/1.0";
  const std::string askRouter = "run upnpc.exe -s (at most 10000 ms)";
  dir.Write("website/pc2/database/current_user", "bob");
  dlg.m_urls = {"http://a.lookup.test/"};
  env.http_answers["http://a.lookup.test/"] = {platform::HttpResult::kOk, 200,
                                               "58.1.2.4"};
  env.held_lines = {secondCheck, kPv};
  StartMonitorThread(&dlg);
  ASSERT_TRUE(env.AwaitTrace(secondCheck));
  std::thread change([&] { ApplyNewPorts(&dlg, 10090, 10443, 1); });
  ASSERT_TRUE(env.AwaitTrace(kPv));
  env.Release(secondCheck);
  EXPECT_FALSE(env.AwaitTrace(askRouter, 1, 300));
  env.Release(kPv);
  change.join();
  // The monitor goes on: a pass checked at the new ports asks the router.
  EXPECT_TRUE(env.AwaitTrace(askRouter));
  env.ReleaseHeld();
  StopMonitorThread(&dlg);
  for (const std::string& run : env.TraceStartingWith("run upnpc.exe -a")) {
    EXPECT_EQ(run.find(" 12345 "), std::string::npos) << run;
    EXPECT_EQ(run.find(" 13579 "), std::string::npos) << run;
  }
}

// The check reached the server at the old port just before a port change
// began: the reachable pass writes no ip file while the change runs, nor
// after it, whose own ip file holds the new port.
TEST_F(WebServerControlTest, AReachablePassLeavesTheIpFileToAPortChange) {
  const std::string oldCheck =
      "http get http://58.1.2.3:12345/pc2/ReverseDetection.php "
      "agent=DadoRE/1.0";
  const std::string ipWrite = "write " + dlg.m_appDir + "\\ip";
  const std::string rcWrite =
      "write " + dlg.m_appDir + "website\\pc2\\database\\rc.txt";
  dir.Write("website/pc2/database/current_user", "bob");
  env.http_answers["http://58.1.2.3:12345/pc2/ReverseDetection.php"] = {
      platform::HttpResult::kOk, 200, "bob"};
  env.held_pauses = {60000};
  env.held_lines = {oldCheck, kPv};
  StartMonitorThread(&dlg);
  ASSERT_TRUE(env.AwaitTrace(oldCheck));
  std::thread change([&] { ApplyNewPorts(&dlg, 10090, 10443, 1); });
  ASSERT_TRUE(env.AwaitTrace(kPv));
  env.Release(oldCheck);
  EXPECT_FALSE(env.AwaitTrace(ipWrite, 1, 300));
  env.Release(kPv);
  change.join();
  ASSERT_TRUE(env.AwaitTrace(rcWrite));
  StopMonitorThread(&dlg);
  const Trace trace = env.trace();
  EXPECT_EQ(std::count(trace.begin(), trace.end(), ipWrite), 1);
  EXPECT_EQ(dir.Read("ip"), "58.1.2.3:10090\r\n");
}

TEST_F(WebServerControlTest, ShutdownForExitKillsWithPvOnlyAndUnmapsBoth) {
  // A machine that holds its public address: nothing was mapped, yet both
  // ports are unmapped.
  dlg.m_routerHttpPort = 80;
  dlg.m_routerHttpsPort = 443;
  EXPECT_EQ(ShutdownForExit(&dlg), 0);
  EXPECT_EQ(env.trace(),
            (Trace{kPv, "exec pskill norvik", "exec pskill pulvo",
                   "exec pskill curl", "exec upnpc.exe -d 80 tcp", "sleep 1000",
                   "exec upnpc.exe -d 443 tcp", "sleep 1000"}));
}

TEST_F(WebServerControlTest, FirewallRulesAreReplacedNotAddedTo) {
  AddFirewallRules(env, "C:\\Bramo\\");
  AddFirewallRules(env, "C:\\Bramo\\");
  const std::string rule =
      "netsh advfirewall firewall add rule name=\"Apache HTTP Server\" "
      "dir=%s action=allow profile=any description=\"Sablo Box In Windows\" "
      "program=\"C:\\Bramo\\apache\\bin\\httpd.exe\" enable=yes";
  auto with = [&](const std::string& dir) {
    std::string line = "exec " + rule;
    line.replace(line.find("%s"), 2, dir);
    return line;
  };
  const Trace once = {
      "exec netsh.exe advfirewall firewall delete rule name=\"Apache HTTP "
      "Server\"",
      "sleep 2000", with("in "), with("out"), "sleep 2000"};
  EXPECT_EQ(env.trace(), Join({once, once}));
}

TEST_F(WebServerControlTest, AFirewallRuleThatDoesNotFitIsNotRun) {
  AddFirewallRules(env, "C:\\" + std::string(1000, 'x') + "\\");
  EXPECT_EQ(env.TraceStartingWith("exec netsh advfirewall").size(), 0u);
  EXPECT_EQ(env.TraceStartingWith("exec netsh.exe").size(), 1u);
}

// The rule's buffer holds 1023 characters and the terminator.
TEST_F(WebServerControlTest, ARuleOfExactlyTheBufferSizeIsNotRun) {
  const size_t fixed =
      std::string(
          "netsh advfirewall firewall add rule name=\"Apache HTTP "
          "Server\" dir=in  action=allow profile=any description="
          "\"Sablo Box In Windows\" program=\"apache\\bin\\httpd.exe"
          "\" enable=yes")
          .size();
  for (size_t length : {size_t{1023}, size_t{1024}}) {
    env.ClearTrace();
    const std::string folder =
        "C:\\" + std::string(length - fixed - 4, 'x') + "\\";
    AddFirewallRules(env, folder);
    Trace rules = env.TraceStartingWith("exec netsh advfirewall");
    ASSERT_EQ(rules.size(), length == 1023 ? 2u : 0u) << length;
    for (const std::string& rule : rules) {
      EXPECT_EQ(rule.size(), std::string("exec ").size() + 1023);
    }
  }
}

TEST(RegistrationTest, CommandLinesCarryTheRegistrationUrl) {
  EXPECT_EQ(RegistrationUrl(), "http://reg.bramo.example/regist/regist.php");
  EXPECT_EQ(RegisterCommandLine(),
            "norvik.exe http://reg.bramo.example/regist/regist.php 0");
  EXPECT_EQ(KeepAliveCommandLine(),
            "pulvo.exe http://reg.bramo.example/regist/regist.php");
}

}  // namespace
