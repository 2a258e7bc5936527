#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "controller/service/web_server_control.h"
#include "controller/shell/brix7_dlg.h"
#include "framework/win_thread.h"
#include "platform/fake/fake_env.h"
#include "testing/file_effects.h"
#include "testing/temp_folder.h"

namespace {

using platform::FakeEnv;
using platform::HttpResult;
using testing_support::FileEffects;
using testing_support::FileWrites;
using testing_support::TempFolder;
using Trace = std::vector<std::string>;

const char kLookup[] = "http://a.lookup.test/";
// ApplyConfiguration's writes at start behind the router, then the ip file.
const Trace kApplied = [] {
  Trace applied = testing_support::ConfigurationEffects(
      10080, 10443, "58.1.2.3", "192.168.1.20");
  applied.push_back("write \\ip");
  return applied;
}();
const char kUrls[] = "[url]\r\nurl.1=http://a.lookup.test/\r\n";
const char kHttpdConf[] =
    "Listen 80  #HTTP#\r\nServerName localhost:80\r\n"
    "<VirtualHost _default_:443>\r\n";

// A laid-out install folder, the controller's module in it, and a lookup
// service that answers 58.1.2.3.
class StartSequenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env.module_path = dir.windows_path() + "Sablo.exe";
    dir.Write("website/pc2/database/.keep", "");
    dir.Write("apache/conf/httpd.conf", kHttpdConf);
    dir.Write("php/php.ini", "[PHP]\r\n");
    // The monitor thread, once started, waits in its first pause.
    env.held_pauses = {2000, 60000};
    env.http_answers[kLookup] = {HttpResult::kOk, 200, "58.1.2.3"};
  }
  void TearDown() override { StopMonitorThread(&dlg); }
  bool Start(const std::string& ini) {
    dir.Write("sablo.ini", ini);
    return dlg.Create();
  }
  // What the sequence did, its file writes included (FileEffects).
  Trace Effects() const { return FileEffects(env.trace(), dlg.m_appDir); }
  std::string Setting(const std::string& section, const std::string& key) {
    return env.GetProfileText(section, key, "(none)", 64,
                              dlg.m_appDir + "sablo.ini");
  }
  std::string Listen() {
    std::string conf = dir.Read("apache/conf/httpd.conf");
    return conf.substr(0, conf.find("\r\n"));
  }

  TempFolder dir;
  FakeEnv env;
  Cbrix7Dlg dlg{&env};
};

const std::string kAutoRunSettings =
    std::string(kUrls) +
    "[pattern]\r\npattern.type=0\r\n[upnp]\r\nupnp.http.port=10080\r\n"
    "upnp.https.port=10443\r\n[brix7]\r\nbrix7.autorun=1\r\n";

TEST_F(StartSequenceTest, AutomaticStartRunsEveryStepInOrder) {
  ASSERT_TRUE(Start(kAutoRunSettings));
  StopMonitorThread(&dlg);
  Trace expected = {
      "dialog create 102",
      "exstyle -0x40000 +0x80",
      "sysmenu append -",
      "sysmenu append 16 关于Bramo(&A)...",
      "window icons app",
      "write apache\\conf\\httpd.conf",
      "write website\\pc2\\database\\local_port",
      "tray add idle \"Bramo正在初始化...\"",
      "menu load 132",
      "exec netsh.exe advfirewall firewall delete rule name=\"Apache HTTP "
      "Server\"",
      "sleep 2000",
      "exec netsh advfirewall firewall add rule name=\"Apache HTTP Server\" "
      "dir=in  action=allow profile=any description=\"Sablo Box In Windows\" "
      "program=\"apache\\bin\\httpd.exe\" enable=yes",
      "exec netsh advfirewall firewall add rule name=\"Apache HTTP Server\" "
      "dir=out action=allow profile=any description=\"Sablo Box In Windows\" "
      "program=\"apache\\bin\\httpd.exe\" enable=yes",
      "sleep 2000",
      "local ip 192.168.1.20",
      "http get http://a.lookup.test/ agent=DadoRE/1.0",
      // Automatic mode: the web server's own ports are 80 and 443, whatever
      // the router forwards.
      "exec upnpc.exe -a 192.168.1.20 80 10080 tcp",
      "sleep 2000",
      "exec upnpc.exe -a 192.168.1.20 443 10443 tcp",
      "sleep 2000",
      "write \\ip",
  };
  // ApplyConfiguration: every configuration file from the addresses; then
  // the ip file, and the service.
  expected.insert(expected.end(), kApplied.begin(), kApplied.end());
  expected.insert(expected.end(),
                  {"tray modify idle \"Bramo正在启动...\"", "sleep 2000",
                   "exec apache\\bin\\pv -f -k httpd.exe -q", "sleep 10000",
                   "exec pskill httpd.exe", "sleep 2000",
                   "exec apache\\bin\\httpd.exe", "sleep 2000",
                   "tray modify unregistered "
                   "\"Bramo未注册\\n请注册，享受Bramo带来的方便与"
                   "快捷！\\n\""});
  Trace steps = Effects();
  ASSERT_GE(steps.size(), expected.size());
  Trace head(steps.begin(), steps.begin() + expected.size());
  EXPECT_EQ(head, expected);
  // Then only the home page, and the monitor thread's first pause.
  Trace tail;
  for (size_t i = expected.size(); i < steps.size(); ++i) {
    if (steps[i] != "sleep 2000") tail.push_back(steps[i]);
  }
  EXPECT_EQ(tail, (Trace{"open http://127.0.0.1:80"}));
  EXPECT_TRUE(dlg.m_serviceRunning);
  EXPECT_EQ(Listen(), "Listen 80  #HTTP#");
  EXPECT_EQ(Setting("apache", "apache.http.port"), "(none)");
  EXPECT_EQ(dir.Read("website/pc2/database/local_port"), "80:443");
  EXPECT_EQ(dir.Read("ip"), "58.1.2.3:10080\r\n");
}

TEST_F(StartSequenceTest, AutomaticStartFreesThePortsBeforeItsPause) {
  env.processes = {{500, "skype.exe"}};
  env.port_owners = {{443, 500}};
  ASSERT_TRUE(Start(kAutoRunSettings));
  StopMonitorThread(&dlg);
  const Trace steps = Effects();
  auto at = std::find(steps.begin(), steps.end(),
                      "tray modify idle \"Bramo正在启动...\"");
  ASSERT_LE(at + 5, steps.end());
  EXPECT_EQ(Trace(at + 1, at + 5),
            (Trace{"sleep 1000", "terminate 500", "sleep 2000",
                   "exec apache\\bin\\pv -f -k httpd.exe -q"}));
}

TEST_F(StartSequenceTest, AutomaticStartWithAUserShowsNoUnregisteredText) {
  dir.Write("website/pc2/database/current_user", "bob");
  // The monitor then asks from outside; let it fail quietly.
  env.http_answers["http://58.1.2.3:10080/pc2/ReverseDetection.php"] = {
      HttpResult::kUrlFailed, 0, ""};
  ASSERT_TRUE(Start(kAutoRunSettings));
  ASSERT_NE(dlg.m_pMonitorThread, nullptr);
  StopMonitorThread(&dlg);
  Trace steps = Effects();
  auto started =
      std::find(steps.begin(), steps.end(), "exec apache\\bin\\httpd.exe");
  ASSERT_NE(started, steps.end());
  EXPECT_TRUE(env.TraceStartingWith("tray modify unregistered").empty());
  EXPECT_EQ(env.TraceStartingWith("open "),
            (Trace{"open http://127.0.0.1:80"}));
}

TEST_F(StartSequenceTest, WithoutAutorunNothingStartsAndTheHomePageOpens) {
  for (const char* flag :
       {"", "brix7.autorun=0\r\n", "brix7.autorun=yes\r\n"}) {
    SCOPED_TRACE(flag);
    FakeEnv env2;
    env2.module_path = env.module_path;
    env2.http_answers = env.http_answers;
    dir.Write("sablo.ini", std::string(kUrls) +
                               "[pattern]\r\npattern.type=0\r\n[upnp]\r\n"
                               "upnp.http.port=10080\r\nupnp.https.port="
                               "10443\r\n[brix7]\r\n" +
                               flag);
    Cbrix7Dlg dlg2(&env2);
    ASSERT_TRUE(dlg2.Create());
    Trace trace = env2.trace();
    ASSERT_GE(trace.size(), 2u);
    EXPECT_EQ(trace[trace.size() - 2], "tray modify idle \"Bramo未运行!\"");
    EXPECT_EQ(trace.back(), "open http://127.0.0.1:80");
    EXPECT_TRUE(env2.TraceStartingWith("exec apache").empty());
    EXPECT_FALSE(dlg2.m_serviceRunning);
    EXPECT_EQ(dlg2.m_pMonitorThread, nullptr);
  }
}

// The mode decides the web server's ports: only a value beginning with
// "0" is automatic mode.
TEST_F(StartSequenceTest, TheModeDecidesTheWebServersPorts) {
  struct Case {
    const char* pattern;
    int http, https;
  } cases[] = {
      {"[pattern]\r\npattern.type=0\r\n", 80, 443},
      {"[pattern]\r\npattern.type=01\r\n", 80, 443},
      {"[pattern]\r\npattern.type=1\r\n", 10080, 10443},
      {"[pattern]\r\npattern.type=2\r\n", 10080, 10443},
      {"[pattern]\r\npattern.type=\r\n", 10080, 10443},
      {"", 10080, 10443},  // no pattern section
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    FakeEnv env2;
    env2.module_path = env.module_path;
    env2.http_answers = env.http_answers;
    dir.Write("apache/conf/httpd.conf", kHttpdConf);
    dir.Write("sablo.ini", std::string(kUrls) + c.pattern +
                               "[upnp]\r\nupnp.http.port=10080\r\n"
                               "upnp.https.port=10443\r\n");
    Cbrix7Dlg dlg2(&env2);
    ASSERT_TRUE(dlg2.Create());
    EXPECT_EQ(dlg2.m_httpPort, c.http);
    EXPECT_EQ(dlg2.m_httpsPort, c.https);
    EXPECT_EQ(Listen(), "Listen " + std::to_string(c.http) + "  #HTTP#");
    EXPECT_EQ(env2.trace().back(),
              "open http://127.0.0.1:" + std::to_string(c.http));
    EXPECT_EQ(env2.TraceStartingWith("exec upnpc.exe -a").front(),
              "exec upnpc.exe -a 192.168.1.20 " + std::to_string(c.http) +
                  " 10080 tcp");
  }
}

// The files each kind of start writes, in order (the automatic start with
// the service: AutomaticStartRunsEveryStepInOrder).  In manual mode the
// web server's ports are stored before its configuration is rewritten;
// halted, only the first rewrite and local_port are made.
TEST_F(StartSequenceTest, EachStartWritesItsFilesInOrder) {
  const Trace first = {"write apache\\conf\\httpd.conf",
                       "write website\\pc2\\database\\local_port"};
  auto join = [](std::initializer_list<Trace> parts) {
    Trace all;
    for (const Trace& part : parts)
      all.insert(all.end(), part.begin(), part.end());
    return all;
  };
  struct Case {
    const char* name;
    std::string ini;
    Trace writes;
    std::string listen;
  } cases[] = {
      {"manual",
       std::string(kUrls) +
           "[pattern]\r\npattern.type=1\r\n[upnp]\r\nupnp.http.port=10080\r\n"
           "upnp.https.port=10443\r\n",
       join({{"sablo.ini [apache] apache.http.port=10080",
              "sablo.ini [apache] apache.https.port=10443"},
             first,
             {"write \\ip"},
             kApplied}),
       "Listen 10080  #HTTP#"},
      {"automatic, no service",
       std::string(kUrls) +
           "[pattern]\r\npattern.type=0\r\n[upnp]\r\nupnp.http.port=10080\r\n"
           "upnp.https.port=10443\r\n",
       join({first, {"write \\ip"}, kApplied}), "Listen 80  #HTTP#"},
      {"halted", "[pattern]\r\npattern.type=0\r\n", first, "Listen 80  #HTTP#"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeEnv env2;
    env2.module_path = env.module_path;
    env2.http_answers = env.http_answers;
    dir.Write("apache/conf/httpd.conf", kHttpdConf);
    dir.Write("sablo.ini", c.ini);
    Cbrix7Dlg dlg2(&env2);
    dlg2.Create();
    EXPECT_EQ(FileWrites(env2.trace(), dlg2.m_appDir), c.writes);
    EXPECT_EQ(Listen(), c.listen);
  }
}

TEST_F(StartSequenceTest, ManualModeWithoutTheHttpsPortEndsWithCode1) {
  EXPECT_TRUE(Start(std::string(kUrls) +
                    "[pattern]\r\npattern.type=1\r\n[upnp]\r\n"
                    "upnp.http.port=10080\r\nupnp.https.port=\r\n"));
  EXPECT_EQ(
      Effects(),
      (Trace{"dialog create 102", "exstyle -0x40000 +0x80", "sysmenu append -",
             "sysmenu append 16 关于Bramo(&A)...", "window icons app",
             "msgbox error ok \"\" \"读取配置文件出错，错误码0X7002\"",
             "msgbox error ok \"\" \"个人云服务器配置文件错误，请检查！错误"
             "码0X9001\"",
             "exit 1"}));
  EXPECT_EQ(env.exit_code(), 1);
  EXPECT_TRUE(env.tray_icons().empty());
}

TEST_F(StartSequenceTest, NoUrlHaltsWithTheInitialisingTextAndAWorkingMenu) {
  ASSERT_TRUE(
      Start("[pattern]\r\npattern.type=0\r\n[brix7]\r\n"
            "brix7.autorun=1\r\nbrix7.startwithwindows=1\r\n"));
  Trace steps = Effects();
  EXPECT_EQ(
      steps.back(),
      "msgbox error ok \"\" \"请检查配置文件，必须至少存在一条URL数据\\n\"");
  EXPECT_TRUE(env.TraceStartingWith("open ").empty());
  EXPECT_TRUE(env.TraceStartingWith("local ip").empty());
  EXPECT_EQ(env.tray_icons().at(128), "Bramo正在初始化...");
  // The menu works in this state, with the flags read before the halt.
  intptr_t result = 0;
  dlg.OnMessage(Cbrix7Dlg::kTrayMessage, 128, platform::kWmRButtonDown,
                &result);
  EXPECT_EQ(env.menus.last_popup.size(), 10u);
  EXPECT_EQ(env.menus.last_popup[3], "32780 登录系统启动 [x]");
  dlg.OnMessage(platform::kWmCommand, 32778, 0, &result);
  EXPECT_EQ(env.trace().back(), "open http://127.0.0.1:80");
}

TEST_F(StartSequenceTest, TheLoopbackAddressLooksNothingUpAndMapsNothing) {
  env.local_ip = "127.0.0.1";
  ASSERT_TRUE(Start(std::string(kUrls) + "[pattern]\r\npattern.type=0\r\n"));
  EXPECT_TRUE(env.TraceStartingWith("http get").empty());
  EXPECT_EQ(dlg.m_externalIp, "");
  // The addresses differ, so the router mapping runs: it chooses router
  // ports, but maps nothing for an address that is not private.
  EXPECT_GE(dlg.m_routerHttpPort, 10000);
  EXPECT_NE(dlg.m_routerHttpPort, dlg.m_routerHttpsPort);
  EXPECT_TRUE(env.TraceStartingWith("exec upnpc.exe").empty());
  EXPECT_EQ(Setting("ip", "ip.internal"), "127.0.0.1");
  EXPECT_EQ(Setting("ip", "ip.external"), "");
}

TEST_F(StartSequenceTest, TheEngineRegistersItsMessageOnce) {
  EXPECT_EQ(env.dialogs.registered_messages.count(
                "UWM_PORT_FORWARD_ENGINE_THREAD_NOTIFICATION-{7C29C80A_5712_"
                "40e8_A124_A82E4B2795A7}"),
            1u);
}

}  // namespace
