// The two threads of the controller at once, for a few seconds: the tray
// commands on this thread, the monitor's passes on its own, and the
// addresses changing under both.  Run under ThreadSanitizer (the tsan
// preset) it shows any access to the shared state the lock misses.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "controller/service/web_server_control.h"
#include "controller/shell/brix7_dlg.h"
#include "controller/shell/sablo_resources.h"
#include "platform/fake/fake_env.h"
#include "platform/thread_stop.h"
#include "testing/temp_folder.h"

namespace {

using platform::HttpResult;
using testing_support::TempFolder;

const char kLookup[] = "http://a.lookup.test/";

// The fake with a world that keeps moving: the LAN and the public address
// change between lookups, and the reverse check answers in turn with our
// name, nothing, another installation's name, or not at all.
class MovingEnv : public platform::FakeEnv {
 public:
  HttpResult HttpGet(const std::string& url, const std::string& agent,
                     size_t max_bytes, std::string* body,
                     const platform::HttpOptions& options) override {
    if (url == kLookup) {
      platform::StopPoint();
      *body = lookups_++ % 3 == 0 ? "58.4.5.6" : "58.1.2.3";
      return HttpResult::kOk;
    }
    if (url.find("/pc2/ReverseDetection.php") == std::string::npos) {
      return FakeEnv::HttpGet(url, agent, max_bytes, body, options);
    }
    platform::StopPoint();
    static const char* const kAnswers[] = {"bob", "", "alice", "bob"};
    const unsigned n = checks_++ % 5;
    if (n == 4) return HttpResult::kUrlFailed;
    *body = kAnswers[n];
    return HttpResult::kOk;
  }
  std::string LocalIpv4Address() override {
    return locals_++ % 4 == 0 ? "192.168.1.30" : "192.168.1.20";
  }
  unsigned checks() const { return checks_; }

 private:
  std::atomic<unsigned> lookups_{0};
  std::atomic<unsigned> checks_{0};
  std::atomic<unsigned> locals_{0};
};

TEST(TrayStressTest, CommandsAddressChangesAndMonitorPassesAtOnce) {
  TempFolder dir;
  MovingEnv env;
  env.module_path = dir.windows_path() + "Sablo.exe";
  env.http_answers[kLookup] = {HttpResult::kOk, 200, "58.1.2.3"};
  dir.Write("website/pc2/database/current_user", "bob");
  dir.Write("apache/conf/httpd.conf", "Listen 80  #HTTP#\r\n");
  dir.Write("sablo.ini",
            "[url]\r\nurl.1=http://a.lookup.test/\r\n[pattern]\r\n"
            "pattern.type=0\r\n[upnp]\r\nupnp.http.port=10080\r\n"
            "upnp.https.port=10443\r\n[brix7]\r\nbrix7.autorun=1\r\n");
  Cbrix7Dlg dlg{&env};
  ASSERT_TRUE(dlg.Create());
  ASSERT_NE(dlg.m_pMonitorThread, nullptr);

  auto send = [&](uint32_t message, uintptr_t wparam, intptr_t lparam) {
    intptr_t result = 0;
    dlg.OnMessage(message, wparam, lparam, &result);
  };
  // Every pause of the fake passes at once, so both threads go as fast as
  // they can for five seconds, and on a loaded machine longer, until the
  // counts show that both ran (a minute at most).
  const auto start = std::chrono::steady_clock::now();
  unsigned commands = 0, starts = 0, portChanges = 0;
  auto going = [&] {
    auto ran = std::chrono::steady_clock::now() - start;
    bool enough =
        commands > 100 && starts > 2 && portChanges > 10 && env.checks() > 100;
    return ran < std::chrono::seconds(5) ||
           (!enough && ran < std::chrono::seconds(60));
  };
  for (; going(); ++commands) {
    switch (commands % 8) {
      case 0:
        send(Cbrix7Dlg::kTrayMessage, Cbrix7Dlg::kTrayId,
             platform::kWmRButtonDown);
        break;
      case 1:
        send(Cbrix7Dlg::kTrayMessage, Cbrix7Dlg::kTrayId,
             platform::kWmLButtonDblClk);
        break;
      case 2:
        env.dialogs.input = {commands % 16 == 2 ? "1001=10090" : "1001=10080",
                             "1002=10443", "ok"};
        send(platform::kWmCommand, kCmdConfigure, 0);
        ++portChanges;
        break;
      case 3:
        send(platform::kWmCommand, kCmdStartWithWindows, 0);
        break;
      case 4:
        send(platform::kWmCommand, kCmdAutoRun, 0);
        break;
      case 5:
        // Mostly running: stopped for one round in four.
        if (dlg.m_serviceRunning == (commands % 32 == 5)) {
          starts += !dlg.m_serviceRunning;
          send(platform::kWmCommand, kCmdToggleService, 0);
        }
        break;
      case 6:
        send(platform::kWmCommand, kCmdOpenHomePage, 0);
        break;
      default:
        env.ClearTrace();  // the trace would grow without end
        break;
    }
  }
  StopMonitorThread(&dlg);

  EXPECT_GT(commands, 100u);
  EXPECT_GT(starts, 2u);
  EXPECT_GT(portChanges, 10u);
  EXPECT_GT(env.checks(), 100u);  // the monitor's passes meanwhile
  EXPECT_EQ(env.tray_icons().size(), 1u);
}

}  // namespace
