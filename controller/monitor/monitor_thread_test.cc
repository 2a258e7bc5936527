#include "controller/monitor/monitor_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <thread>

#include "controller/monitor/status_text.h"
#include "controller/service/web_server_control.h"
#include "controller/shell/brix7_dlg.h"
#include "controller/shell/gbk_text.h"
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

const char kReverseUrl[] = "http://58.1.2.3:12345/pc2/ReverseDetection.php";
const char kLookup[] = "http://a.lookup.test/";
const std::string kGetReverse =
    std::string("http get ") + kReverseUrl + " agent=DadoRE/1.0";
const std::string kGetLookup =
    std::string("http get ") + kLookup + " agent=DadoRE/1.0";
const std::string kNorvik =
    "exec norvik.exe http://reg.bramo.example/regist/regist.php 0";
const std::string kPulvo =
    "exec pulvo.exe http://reg.bramo.example/regist/regist.php";
// The diagnosis's first question to the router (upnpc.exe cannot be
// started unless a test scripts its answers).
const std::string kAskRouter = "run upnpc.exe -s (at most 10000 ms)";
const char kDiagnosis[] = "website/pc2/database/diagnosis";

// upnpc's answer when no router answers UPnP.
FakeEnv::CapturedRun NoGateway() {
  FakeEnv::CapturedRun run;
  run.errors = "No IGD UPnP Device found on the network !\n";
  run.exit_code = 1;
  return run;
}

// A registered installation ("bob") behind a router: LAN 192.168.1.20,
// web server on 80/443, public 58.1.2.3, router ports 12345/13579.
class MonitorPassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("website/pc2/database/current_user", "bob");
    // The tray icon without the start sequence.
    dlg.AddTrayIcon("Bramo正在初始化...");
    dlg.m_appDir = dir.windows_path();
    dlg.m_localIp = "192.168.1.20";
    dlg.m_externalIp = "58.1.2.3";
    dlg.m_routerHttpPort = 12345;
    dlg.m_routerHttpsPort = 13579;
    dlg.m_urls = {kLookup};
    Answer(kLookup, "58.1.2.3");
    env.ClearTrace();
  }
  void Answer(const std::string& url, const std::string& body) {
    env.http_answers[url] = {HttpResult::kOk, 200, body};
  }
  std::string Tray(const char* role, const std::string& text) const {
    return std::string("tray modify ") + role + " \"" +
           platform::TraceText(CutGbk(text, 127)) + "\"";
  }
  static std::string Write(const std::string& relative) {
    return "write " + relative;
  }
  std::string Running() { return dlg.BuildStatusText(true, "bob", "bob"); }
  std::string Unreachable() { return dlg.BuildStatusText(false, "bob", ""); }
  // Everything the pass did, its file writes included (FileEffects).
  Trace Effects() const { return FileEffects(env.trace(), dlg.m_appDir); }

  TempFolder dir;
  FakeEnv env;
  Cbrix7Dlg dlg{&env};
};

TEST_F(MonitorPassTest, WithoutAUserItOnlyWaits) {
  for (const char* content : {"", " \r\n", static_cast<const char*>(nullptr)}) {
    if (content == nullptr) {
      std::remove((dir.path() + "website/pc2/database/current_user").c_str());
    } else {
      dir.Write("website/pc2/database/current_user", content);
    }
    env.ClearTrace();
    RunMonitorPass(dlg);
    EXPECT_EQ(env.trace(), (Trace{"sleep 2000"}));
  }
  EXPECT_FALSE(dir.Exists("website/pc2/database/rc.txt"));
}

TEST_F(MonitorPassTest, AReachableServerIsReportedAndRegistered) {
  Answer(kReverseUrl, "bob");
  RunMonitorPass(dlg);
  EXPECT_EQ(Effects(), (Trace{kGetReverse, Tray("running", Running()),
                              Tray("running", Running()), Write("\\ip"),
                              Write("website\\pc2\\database\\rc.txt"), kNorvik,
                              kPulvo, "sleep 60000"}));
  EXPECT_EQ(dir.Read("ip"), "58.1.2.3:12345\r\n");
  EXPECT_EQ(dir.Read("website/pc2/database/rc.txt"), "0");
}

TEST_F(MonitorPassTest, AReachablePassWritesOnlyTheFilesWhoseBytesChange) {
  Answer(kReverseUrl, "bob");
  const std::string rc = "website\\pc2\\database\\rc.txt";
  struct Case {
    std::string rc_before, ip_before;
    Trace writes;
  } cases[] = {
      {"0", "58.1.2.3:12345\r\n", {}},
      {"1", "58.1.2.3:12345\r\n", {Write(rc)}},
      {"0", "58.1.2.3:12345\n", {Write("\\ip")}},
      {"0", "58.1.2.3:12345\r\n\r\n", {Write("\\ip")}},
      {"00", "58.1.2.3:54321\r\n", {Write("\\ip"), Write(rc)}},
  };
  for (const Case& c : cases) {
    dir.Write("website/pc2/database/rc.txt", c.rc_before);
    dir.Write("ip", c.ip_before);
    env.ClearTrace();
    RunMonitorPass(dlg);
    EXPECT_EQ(FileWrites(env.trace(), dlg.m_appDir), c.writes) << c.ip_before;
    EXPECT_EQ(dir.Read("ip"), "58.1.2.3:12345\r\n");
    EXPECT_EQ(dir.Read("website/pc2/database/rc.txt"), "0");
    EXPECT_EQ(env.TraceStartingWith("exec "), (Trace{kNorvik, kPulvo}));
  }
}

TEST_F(MonitorPassTest, UnreachableTwiceStartsNothingAndDoesNotWait) {
  RunMonitorPass(dlg);
  // The recheck finds both addresses unchanged and asks for the mappings
  // again.
  EXPECT_EQ(Effects(),
            (Trace{kGetReverse, Tray("warning", Unreachable()),
                   Write("website\\pc2\\database\\rc.txt"), kGetLookup,
                   "local ip 192.168.1.20",
                   "exec upnpc.exe -a 192.168.1.20 80 12345 tcp", "sleep 2000",
                   "exec upnpc.exe -a 192.168.1.20 443 13579 tcp", "sleep 2000",
                   "sablo.ini [upnp] upnp.http.port=12345",
                   "sablo.ini [upnp] upnp.https.port=13579",
                   "sablo.ini [ip] ip.external=58.1.2.3",
                   "sablo.ini [ip] ip.internal=192.168.1.20",
                   Write("website\\pc2\\database\\https_port"), Write("\\ip"),
                   "sleep 2000", kGetReverse, Tray("warning", Unreachable()),
                   kAskRouter}));
  EXPECT_EQ(dir.Read("website/pc2/database/rc.txt"), "1");
}

TEST_F(MonitorPassTest, AnotherInstallationAnsweringMovesTheRouterPorts) {
  Answer(kReverseUrl, "alice");
  env.rand_values = {1111, 2222};
  RunMonitorPass(dlg);
  EXPECT_EQ(dir.Read("website/pc2/database/rc.txt"), "1");
  EXPECT_EQ(dlg.m_routerHttpPort, 11111);
  EXPECT_EQ(dlg.m_routerHttpsPort, 12222);
  const Trace saved = {"sablo.ini [upnp] upnp.http.port=11111",
                       "sablo.ini [upnp] upnp.https.port=12222",
                       "sablo.ini [ip] ip.external=58.1.2.3",
                       "sablo.ini [ip] ip.internal=192.168.1.20",
                       Write("website\\pc2\\database\\https_port"),
                       Write("\\ip")};
  Trace writes = {Write("website\\pc2\\database\\rc.txt")};
  writes.insert(writes.end(), saved.begin(), saved.end());  // the new ports
  writes.insert(writes.end(), saved.begin(), saved.end());  // the recheck's
  EXPECT_EQ(FileWrites(env.trace(), dlg.m_appDir), writes);
  EXPECT_EQ(
      env.TraceStartingWith("exec "),
      (Trace{"exec upnpc.exe -a 192.168.1.20 80 11111 tcp",
             "exec upnpc.exe -a 192.168.1.20 443 12222 tcp",
             "exec upnpc.exe -d 12345 tcp", "exec upnpc.exe -d 13579 tcp"}));
  // The second check asks under the new port, and no pause follows it.
  const Trace trace = env.trace();
  EXPECT_EQ(trace[trace.size() - 3],
            "http get http://58.1.2.3:11111/pc2/ReverseDetection.php "
            "agent=DadoRE/1.0");
  EXPECT_EQ(trace[trace.size() - 2].rfind("tray modify warning", 0), 0u);
  EXPECT_EQ(trace.back(), kAskRouter);
}

TEST_F(MonitorPassTest, ReachableOnlyAtTheSecondCheckRegistersWithoutPulvo) {
  // The public address moved: the old one does not answer, the recheck
  // finds the new one, and the second check reaches the server there.
  dlg.m_externalIp = "58.9.9.9";
  Answer(kReverseUrl, "bob");
  RunMonitorPass(dlg);
  const Trace trace = env.trace();
  ASSERT_GE(trace.size(), 5u);
  EXPECT_EQ(Trace(trace.end() - 5, trace.end()),
            (Trace{kGetReverse, Tray("running", Running()),
                   Tray("running", Running()), kNorvik, "sleep 60000"}));
  EXPECT_TRUE(env.TraceStartingWith(kPulvo).empty());
  EXPECT_EQ(dir.Read("website/pc2/database/rc.txt"), "1");
}

// After the unreachable pass's own steps the router is asked why, and
// what it says goes to the diagnosis file: at most once a minute, never
// in a pass that ends reachable, which empties the file instead.
TEST_F(MonitorPassTest, AnUnreachablePassEndsWithTheDiagnosis) {
  env.captured_runs = {NoGateway()};
  RunMonitorPass(dlg);
  Trace trace = Effects();
  ASSERT_GE(trace.size(), 4u);
  EXPECT_EQ(Trace(trace.end() - 4, trace.end()),
            (Trace{kGetReverse, Tray("warning", Unreachable()), kAskRouter,
                   Write("website\\pc2\\database\\diagnosis")}));
  EXPECT_EQ(dir.Read(kDiagnosis), "no-upnp\r\n");

  // Within the minute: the pass's own steps only.
  env.ClearTrace();
  RunMonitorPass(dlg);
  EXPECT_TRUE(env.TraceStartingWith("run ").empty());
  EXPECT_EQ(env.trace().back(), Tray("warning", Unreachable()));

  // A minute after the last diagnosis: asked again; the same answer
  // leaves the file as it is.
  env.Sleep(60000);
  env.captured_runs = {NoGateway()};
  env.ClearTrace();
  RunMonitorPass(dlg);
  EXPECT_EQ(env.TraceStartingWith("run "), (Trace{kAskRouter}));
  EXPECT_EQ(env.trace().back(), kAskRouter);

  // Reachable: nothing asked, the file emptied.
  Answer(kReverseUrl, "bob");
  env.ClearTrace();
  RunMonitorPass(dlg);
  EXPECT_TRUE(env.TraceStartingWith("run ").empty());
  // The ip file holds this pass's bytes already and is left alone.
  EXPECT_EQ(FileWrites(env.trace(), dlg.m_appDir),
            (Trace{Write("website\\pc2\\database\\rc.txt"),
                   Write("website\\pc2\\database\\diagnosis")}));
  EXPECT_EQ(dir.Read(kDiagnosis), "");
}

TEST_F(MonitorPassTest, ReachableAtTheSecondCheckAsksNothing) {
  dir.Write(kDiagnosis, "no-upnp\r\n");
  dlg.m_externalIp = "58.9.9.9";  // moved: only the second check answers
  Answer(kReverseUrl, "bob");
  RunMonitorPass(dlg);
  EXPECT_TRUE(env.TraceStartingWith("run ").empty());
  EXPECT_EQ(dir.Read(kDiagnosis), "");
}

// The monitor as a thread, stopped in the middle of a pass.
class MonitorStopTest : public MonitorPassTest {
 protected:
  // Stops the service once `line` is in the trace; the stop itself must
  // take less than 100 ms, and after it only the stop's own steps run.
  void StopWhenTraced(const std::string& line) {
    StartMonitorThread(&dlg);
    ASSERT_TRUE(env.AwaitTrace(line));
    const Trace before = env.trace();
    ASSERT_EQ(before.back(), line);
    const auto start = std::chrono::steady_clock::now();
    dlg.m_pMonitorThread->stop_token()->Cancel();
    dlg.SetTrayStatus(dlg.m_hIconIdle, "stopping");
    StopMonitorThread(&dlg);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(100));
    EXPECT_EQ(dlg.m_pMonitorThread, nullptr);
    // The thread is gone: nothing of it can follow.
    StopService(&dlg);
    Trace after = env.trace();
    after.erase(after.begin(), after.begin() + before.size());
    EXPECT_EQ(after.front(), "tray modify idle \"stopping\"");
    for (const std::string& step : after) {
      EXPECT_TRUE(step.rfind("tray modify idle", 0) == 0 ||
                  step.rfind("exec apache\\bin\\pv", 0) == 0 ||
                  step.rfind("exec pskill", 0) == 0 ||
                  step.rfind("sleep", 0) == 0)
          << step;
    }
  }
};

TEST_F(MonitorStopTest, DuringTheMinutesWait) {
  Answer(kReverseUrl, "bob");
  env.held_pauses = {60000};
  StopWhenTraced("sleep 60000");
  EXPECT_EQ(env.TraceStartingWith(kNorvik).size(), 1u);
}

TEST_F(MonitorStopTest, DuringAFetchThatNeverAnswers) {
  env.http_answers[kReverseUrl].hangs = true;
  StopWhenTraced(kGetReverse);
  EXPECT_FALSE(dir.Exists("website/pc2/database/rc.txt"));
}

TEST_F(MonitorStopTest, DuringARecheck) {
  env.http_answers[kLookup].hangs = true;
  StopWhenTraced(kGetLookup);
  EXPECT_TRUE(env.TraceStartingWith("exec upnpc").empty());
}

TEST_F(MonitorStopTest, WhileTheRouterIsAsked) {
  env.captured_runs.emplace_back();
  env.captured_runs.back().hangs = true;  // upnpc.exe never ends
  StopWhenTraced(kAskRouter);
  EXPECT_FALSE(dir.Exists(kDiagnosis));
}

// The recheck asks for the LAN address, and the resolver never answers
// (gethostbyname cannot be interrupted): the stop does not wait for it.
TEST_F(MonitorStopTest, WhileTheResolverNeverAnswers) {
  env.local_ip_hangs = true;
  StartMonitorThread(&dlg);
  ASSERT_TRUE(env.AwaitHeldPause());
  StopService(&dlg);
  EXPECT_EQ(dlg.m_pMonitorThread, nullptr);
  EXPECT_EQ(env.held_now(), 1);  // the resolver is still asked
  const Trace stopped = env.trace();
  EXPECT_EQ(stopped.back(), "tray modify idle \"Bramo停止提供网络服务!\"");
  env.ReleaseHeld();
  ASSERT_TRUE(env.AwaitTrace("local ip 192.168.1.20"));
  // Its late answer is dropped: nothing follows it.
  EXPECT_EQ(env.trace().size(), stopped.size() + 1);
}

TEST_F(MonitorStopTest, TheStoppingTooltipIsNeverReplacedByTheMonitor) {
  // The monitor passes as fast as it can; the stop's texts come last.
  Answer(kReverseUrl, "bob");
  StartMonitorThread(&dlg);
  ASSERT_TRUE(env.AwaitTrace("sleep 60000", 20));
  StopService(&dlg);
  const Trace trays = env.TraceStartingWith("tray modify");
  ASSERT_GE(trays.size(), 2u);
  EXPECT_EQ(trays[trays.size() - 2],
            "tray modify idle \"正在停止Bramo网络服务...\"");
}

TEST_F(MonitorPassTest, AStopWaitsForTheEndOfAHoldOfTheStateLock) {
  platform::HttpCancel stop;
  bool stoppedAfterHold = false;
  std::thread worker([&] {
    platform::ThreadStopScope scope(&stop);
    try {
      {
        auto lock = dlg.LockState();
        stop.Cancel();
        dlg.SaveRouterSettings();
        dlg.SaveAddressFile();
      }
      env.WinExec("norvik.exe");
    } catch (const platform::ThreadStopped&) {
      stoppedAfterHold = true;
    }
  });
  worker.join();
  EXPECT_TRUE(stoppedAfterHold);
  // Every write of the hold happened; nothing after it.
  EXPECT_EQ(env.TraceStartingWith("profile write").size(), 4u);
  EXPECT_EQ(dir.Read("ip"), "58.1.2.3:12345\r\n");
  EXPECT_EQ(dir.Read("website/pc2/database/https_port"), "13579");
  EXPECT_TRUE(env.TraceStartingWith("exec").empty());
}

// The dialog going away with its monitor still running stops it first:
// the thread would go on using the dialog.
TEST(MonitorLifetimeTest, DestroyingTheDialogStopsItsMonitor) {
  TempFolder dir;
  FakeEnv env;
  env.held_pauses = {2000};  // no user: the monitor waits in its poll
  {
    Cbrix7Dlg dlg(&env);
    dlg.m_appDir = dir.windows_path();
    StartMonitorThread(&dlg);
    ASSERT_TRUE(env.AwaitHeldPause());
  }
  EXPECT_EQ(env.held_now(), 0);
}

// Both threads at once: the monitor's passes against a scripted fake while
// the user-interface thread changes ports, addresses and tooltips.  Run
// under ThreadSanitizer by the tsan preset.
TEST(MonitorConcurrencyTest, BothThreadsChangeTheSharedStateSafely) {
  TempFolder dir;
  dir.Write("website/pc2/database/current_user", "bob");
  FakeEnv env;
  Cbrix7Dlg dlg{&env};
  // The tray icon without the start sequence.
  dlg.AddTrayIcon("Bramo正在初始化...");
  struct Values {
    std::string localIp, externalIp;
    int http, https, routerHttp, routerHttps;
  };
  // A is reachable; B does not answer, so its passes repair, and the
  // recheck puts the lookup's address back.
  const Values a{"192.168.1.20", "58.1.2.3", 80, 443, 12345, 13579};
  const Values b{"192.168.1.30", "58.4.5.6", 10080, 10443, 12000, 13000};
  env.local_ip = a.localIp;
  env.http_answers[kReverseUrl] = {HttpResult::kOk, 200, "bob"};
  env.http_answers["http://58.1.2.3:12000/pc2/ReverseDetection.php"] = {
      HttpResult::kOk, 200, "bob"};
  env.http_answers[kLookup] = {HttpResult::kOk, 200, a.externalIp};
  auto set = [&](const Values& v) {
    auto lock = dlg.LockState();
    dlg.m_localIp = v.localIp;
    dlg.m_externalIp = v.externalIp;
    dlg.m_httpPort = v.http;
    dlg.m_httpsPort = v.https;
    dlg.m_routerHttpPort = v.routerHttp;
    dlg.m_routerHttpsPort = v.routerHttps;
  };
  dlg.m_appDir = dir.windows_path();
  dlg.m_urls = {kLookup};
  set(a);

  // A few thousand changes, and on until the monitor has made some passes
  // of both kinds meanwhile.
  auto passesSeen = [&] {
    return std::min(env.TraceStartingWith(kNorvik).size(),
                    env.TraceStartingWith("sleep 2000").size());
  };
  StartMonitorThread(&dlg);
  for (int i = 0; i < 3000 || (i < 1000000 && (i % 1000 || passesSeen() < 20));
       ++i) {
    set(i % 2 ? a : b);
    dlg.SetTrayStatus(dlg.m_hIconIdle, i % 2 ? "main A" : "main B");
  }
  StopMonitorThread(&dlg);

  // Every text the monitor can show: each field from one of the two
  // value sets, as the threads mix them.
  std::set<std::string> whole = {"main A", "main B"};
  for (int bits = 0; bits < 64; ++bits) {
    auto pick = [&](int bit) { return (bits >> bit & 1) ? b : a; };
    StatusFields fields{pick(0).localIp,    pick(1).http,
                        pick(2).https,      pick(3).externalIp,
                        pick(4).routerHttp, pick(5).routerHttps};
    for (bool mode : {true, false}) {
      whole.insert(platform::TraceText(CutGbk(
          BuildStatusText(mode, "bob", mode ? "bob" : "", fields), 127)));
    }
  }
  size_t monitorTexts = 0;
  for (const std::string& line : env.TraceStartingWith("tray modify ")) {
    const size_t quote = line.find('"');
    const std::string tip = line.substr(quote + 1, line.size() - quote - 2);
    EXPECT_EQ(whole.count(tip), 1u) << line;
    monitorTexts += tip.rfind("main ", 0) != 0;
  }
  EXPECT_GT(monitorTexts, 0u);
  EXPECT_GT(env.TraceStartingWith(kNorvik).size(), 0u);
}

}  // namespace
