#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "controller/service/web_server_control.h"
#include "controller/shell/brix7_dlg.h"
#include "controller/shell/gbk_text.h"
#include "platform/fake/fake_env.h"
#include "testing/temp_folder.h"

namespace {

using platform::FakeEnv;
using platform::HttpResult;
using testing_support::TempFolder;
using Trace = std::vector<std::string>;

// A controller started without automatic run behind a router (LAN
// 192.168.1.20, public 58.1.2.3, router ports 10080/10443), in the mode
// the test gives.
class TrayCommandTest : public ::testing::Test {
 protected:
  void Start(const std::string& mode, const std::string& flags = "") {
    env.module_path = dir.windows_path() + "Sablo.exe";
    env.held_pauses = {2000, 60000};  // a started monitor waits
    env.http_answers["http://a.lookup.test/"] = {HttpResult::kOk, 200,
                                                 "58.1.2.3"};
    dir.Write("website/pc2/database/.keep", "");
    dir.Write("apache/conf/httpd.conf", "Listen 80  #HTTP#\r\n");
    dir.Write("sablo.ini",
              "[url]\r\nurl.1=http://a.lookup.test/\r\n[pattern]\r\n"
              "pattern.type=" +
                  mode +
                  "\r\n[upnp]\r\nupnp.http.port=10080\r\nupnp.https.port="
                  "10443\r\n[brix7]\r\n" +
                  flags);
    ASSERT_TRUE(dlg.Create());
    if (dlg.m_pMonitorThread != nullptr) {
      // The monitor's first pass (no user yet) ends in its held pause;
      // wait for it, so no line of it lands in a test's trace.
      ASSERT_TRUE(env.AwaitHeldPause());
    }
    env.ClearTrace();
  }
  void TearDown() override { StopMonitorThread(&dlg); }

  void Send(uint32_t message, uintptr_t wparam, intptr_t lparam) {
    intptr_t result = 0;
    dlg.OnMessage(message, wparam, lparam, &result);
  }
  void Command(int id) { Send(platform::kWmCommand, id, 0); }
  Trace Menu() {
    Send(Cbrix7Dlg::kTrayMessage, 128, platform::kWmRButtonDown);
    return env.menus.last_popup;
  }
  std::string Setting(const std::string& key) {
    return env.GetProfileText("brix7", key, "(none)", 64,
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

TEST_F(TrayCommandTest, ARightClickShowsAFreshPopupWithItsState) {
  Start("0", "brix7.autorun=1\r\n");
  // Automatic run was on at start: the service runs.
  EXPECT_EQ(Menu(),
            (Trace{"32778 打开主页", "-", "32779 个人云配置",
                   "32780 登录系统启动", "32781 自动运行 [x]", "-",
                   "32782 停止个人云服务", "32783 关于", "-", "32784 退出"}));
  // A fresh menu each time, destroyed after the popup.
  EXPECT_EQ(env.TraceStartingWith("menu load 132").size(), 1u);
  EXPECT_EQ(env.trace().back(), "menu destroy");
  EXPECT_EQ(env.TraceStartingWith("foreground").size(), 1u);
  EXPECT_EQ(env.menus.live_menus(), 1);  // only m_menu is left
}

TEST_F(TrayCommandTest, CheckMarksAndTheLabelFollowEveryState) {
  Start("0");
  EXPECT_EQ(Menu()[6], "32782 启动个人云服务");
  Command(32782);  // start
  EXPECT_TRUE(dlg.m_serviceRunning);
  EXPECT_EQ(Menu()[6], "32782 停止个人云服务");
  Command(32782);  // stop
  EXPECT_FALSE(dlg.m_serviceRunning);
  EXPECT_EQ(dlg.m_pMonitorThread, nullptr);
  EXPECT_EQ(Menu()[6], "32782 启动个人云服务");

  struct Case {
    bool withWindows, autoRun;
  } cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
  for (const Case& c : cases) {
    dlg.m_startWithWindows = c.withWindows;
    dlg.m_autoRun = c.autoRun;
    Trace menu = Menu();
    EXPECT_EQ(menu[3], std::string("32780 登录系统启动") +
                           (c.withWindows ? " [x]" : ""));
    EXPECT_EQ(menu[4],
              std::string("32781 自动运行") + (c.autoRun ? " [x]" : ""));
  }
}

TEST_F(TrayCommandTest, StartWithWindowsMissingFirstWritesZeroThenOne) {
  Start("0");
  ASSERT_EQ(Setting("brix7.startwithwindows"), "(none)");
  EXPECT_EQ(Menu()[3], "32780 登录系统启动");
  Command(32780);
  EXPECT_EQ(Setting("brix7.startwithwindows"), "0");
  EXPECT_EQ(Menu()[3], "32780 登录系统启动");
  Command(32780);
  EXPECT_EQ(Setting("brix7.startwithwindows"), "1");
  EXPECT_EQ(Menu()[3], "32780 登录系统启动 [x]");
  // The autostart value is written in both directions.
  EXPECT_EQ(env.TraceStartingWith("autostart SABLO=").size(), 2u);

  Command(32781);  // autorun: missing -> "0", no other effect
  EXPECT_EQ(Setting("brix7.autorun"), "0");
  EXPECT_TRUE(env.TraceStartingWith("exec").empty());
}

TEST_F(TrayCommandTest, ChangingOnlyTheModeRestartsWithoutUnmapping) {
  Start("0");
  env.dialogs.input = {"1005", "ok"};
  Command(32779);
  EXPECT_TRUE(env.TraceStartingWith("exec upnpc.exe -d").empty());
  EXPECT_EQ(env.TraceStartingWith("exec upnpc.exe -a"),
            (Trace{"exec upnpc.exe -a 192.168.1.20 10080 10080 tcp",
                   "exec upnpc.exe -a 192.168.1.20 10443 10443 tcp"}));
  EXPECT_EQ(Listen(), "Listen 10080  #HTTP#");
  EXPECT_TRUE(dlg.m_manualMode);
  EXPECT_EQ(env.tray_icons().at(128), "Bramo运行中...");
}

TEST_F(TrayCommandTest, ANewHttpPortInManualModeMovesOnlyThatMapping) {
  Start("1");
  env.dialogs.input = {"1001=10090", "ok"};
  Command(32779);
  Trace upnpc = env.TraceStartingWith("exec upnpc.exe");
  EXPECT_EQ(upnpc, (Trace{"exec upnpc.exe -d 10080 tcp",
                          "exec upnpc.exe -a 192.168.1.20 10090 10090 tcp",
                          "exec upnpc.exe -a 192.168.1.20 10443 10443 tcp"}));
  EXPECT_EQ(Listen(), "Listen 10090  #HTTP#");
  EXPECT_EQ(dlg.m_httpPort, 10090);
  EXPECT_EQ(dlg.m_httpsPort, 10443);
}

// Also a port outside 1..65535: refused, the dialog stays open until
// it is cancelled, and the settings file keeps its bytes.
TEST_F(TrayCommandTest, ADialogEndingWithoutChangesChangesNothing) {
  Start("1");
  const std::string ini = dir.Read("sablo.ini");
  for (Trace input :
       {Trace{"ok"}, Trace{"1001=10090", "cancel"}, Trace{},
        Trace{"1001=65536", "ok", "cancel"}, Trace{"1002=99999999999", "ok"},
        Trace{"1001=0", "ok"}}) {
    env.dialogs.input.assign(input.begin(), input.end());
    env.ClearTrace();
    Command(32779);
    EXPECT_EQ(dir.Read("sablo.ini"), ini);
    Trace trace = env.trace();
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front(), "dialog open 133");
    EXPECT_EQ(trace.back().rfind("dialog end", 0), 0u);
    EXPECT_TRUE(env.TraceStartingWith("exec").empty());
    EXPECT_TRUE(env.TraceStartingWith("tray").empty());
  }
}

TEST_F(TrayCommandTest, ExitWhileStoppedStillEndsEverythingAndUnmaps) {
  Start("1");
  Command(32784);
  EXPECT_EQ(env.trace(),
            (Trace{"exec apache\\bin\\pv -f -k httpd.exe -q",
                   "exec pskill norvik", "exec pskill pulvo",
                   "exec pskill curl", "exec upnpc.exe -d 10080 tcp",
                   "sleep 1000", "exec upnpc.exe -d 10443 tcp", "sleep 1000",
                   "tray delete idle \"Bramo未运行!\"", "dialog destroy"}));
  EXPECT_TRUE(env.tray_icons().empty());
  EXPECT_EQ(dlg.m_hWnd, 0u);
}

// The monitor repairs without pause (no one answers from outside); the
// exit is held at its first unmapping, the moment a monitor still running
// would map again.  From the exit's first step on, only its own run.
TEST_F(TrayCommandTest, ExitStopsTheMonitorBeforeItEndsAndUnmaps) {
  const std::string pv = "exec apache\\bin\\pv -f -k httpd.exe -q";
  const std::string map = "exec upnpc.exe -a 192.168.1.20 10080 10080 tcp";
  env.held_lines = {"exec upnpc.exe -d 10080 tcp"};
  Start("1");
  env.held_pauses.clear();
  dir.Write("website/pc2/database/current_user", "bob");
  Command(32782);
  ASSERT_TRUE(env.AwaitTrace(map));
  std::thread exiting([&] { Command(32784); });
  ASSERT_TRUE(env.AwaitHeldPause());
  const Trace held = env.trace();
  const size_t maps = std::count(held.begin(), held.end(), map);
  EXPECT_FALSE(env.AwaitTrace(map, maps + 1, 300));
  env.ReleaseHeld();
  exiting.join();
  EXPECT_EQ(dlg.m_pMonitorThread, nullptr);
  const Trace trace = env.trace();
  const auto exitBegan = std::find(trace.rbegin(), trace.rend(), pv).base() - 1;
  EXPECT_EQ(Trace(exitBegan, trace.end()),
            (Trace{pv, "exec pskill norvik", "exec pskill pulvo",
                   "exec pskill curl", "exec upnpc.exe -d 10080 tcp",
                   "sleep 1000", "exec upnpc.exe -d 10443 tcp", "sleep 1000",
                   "tray delete warning \"" +
                       platform::TraceText(
                           CutGbk(dlg.BuildStatusText(false, "bob", ""), 127)) +
                       "\"",
                   "dialog destroy"}));
}

TEST_F(TrayCommandTest, TheConsolesStopEndsAsTheExitCommandDoes) {
  Start("1");
  Send(platform::kWmClose, 0, 0);
  EXPECT_EQ(env.TraceStartingWith("exec upnpc.exe -d").size(), 2u);
  EXPECT_TRUE(env.tray_icons().empty());
  EXPECT_EQ(env.trace().back(), "dialog destroy");
}

TEST_F(TrayCommandTest, DoubleClickOpensTheHomePageOnlyWhileRunning) {
  Start("1");
  Send(Cbrix7Dlg::kTrayMessage, 128, platform::kWmLButtonDblClk);
  EXPECT_TRUE(env.trace().empty());
  Command(32778);  // the menu item opens it in every state
  EXPECT_EQ(env.trace(), (Trace{"open http://127.0.0.1:10080"}));
  dlg.m_serviceRunning = true;
  Send(Cbrix7Dlg::kTrayMessage, 128, platform::kWmLButtonDblClk);
  EXPECT_EQ(env.TraceStartingWith("open ").size(), 2u);
  // Other mouse messages are ignored.
  Send(Cbrix7Dlg::kTrayMessage, 128, 0x0200);
  EXPECT_EQ(env.TraceStartingWith("open ").size(), 2u);
}

TEST_F(TrayCommandTest, AboutFromTheMenuAndTheSystemMenuWithItsLinks) {
  Start("1");
  env.dialogs.input = {"1000", "1001", "1002", "ok"};
  Command(32783);
  EXPECT_EQ(env.TraceStartingWith("open "),
            (Trace{"open http://www.bramo.example",
                   "open mailto://support@bramo.example",
                   "open http://www.bramo.example/download.html"}));
  EXPECT_EQ(env.trace().back(), "dialog end 1");
  // The system menu's entry, whatever its low four bits; other system
  // commands go to the default handling.
  env.ClearTrace();
  intptr_t result = 0;
  EXPECT_TRUE(dlg.OnMessage(platform::kWmSysCommand, 0x0013, 0, &result));
  EXPECT_FALSE(dlg.OnMessage(platform::kWmSysCommand, 0xF060, 0, &result));
  EXPECT_EQ(env.TraceStartingWith("dialog open 100").size(), 1u);
  // The tray popup's update handlers leave the system menu alone: its
  // About entry has no command handler, yet stays enabled.
  const platform::MenuHandle sysMenu = env.menus.SystemMenu(dlg.m_hWnd);
  const Trace before = env.menus.SystemMenuLines();
  Send(platform::kWmInitMenuPopup, sysMenu, intptr_t{1} << 16);
  EXPECT_EQ(env.menus.SystemMenuLines(), before);
  EXPECT_EQ(before.back(), "16 关于Bramo(&A)...");
}

}  // namespace
