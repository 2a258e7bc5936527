#include "controller/shell/brix7_app.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controller/config/install_folder.h"
#include "controller/shell/brix7_dlg.h"
#include "platform/fake/fake_env.h"

namespace {

using platform::FakeEnv;

const std::vector<std::string> kCleanUp = {
    "exec net stop w3svc",
    "exec pskill update",
    "exec pskill norvik",
    "exec pskill pulvo",
    "exec pskill curl",
    "exec apache\\bin\\pv -f -k httpd.exe -q",
    "sleep 2000",
    "exec pskill httpd.exe",
    "sleep 1000",
    "exec cmd /c del /Q apache\\logs",
    "exec cmd /c del /Q pc2\\sessionstemp",
    "exec update.exe",
};

class StartUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.module_path = "D:\\Web Stack\\Sablo.exe";
    env_.processes = {{4, "System"}, {100, "Sablo.exe"}, {200, "httpd.exe"}};
  }
  FakeEnv env_;
};

TEST_F(StartUpTest, ElevatedSoleInstanceRunsTheWholeSequenceInOrder) {
  Cbrix7App app(&env_);
  ASSERT_TRUE(app.InitInstance());
  std::vector<std::string> expected = {"sleep 5000"};
  expected.insert(expected.end(), kCleanUp.begin(), kCleanUp.end());
  expected.push_back("autostart SABLO=\"D:\\Web Stack\\Sablo.exe\"");
  expected.push_back("initcc 8 0xff");
  expected.push_back("dialog create 102");
  // Then the window's start sequence (start_sequence_test.cc).
  auto trace = env_.trace();
  ASSERT_GT(trace.size(), expected.size());
  trace.resize(expected.size());
  EXPECT_EQ(trace, expected);
  ASSERT_NE(app.m_pMainWnd, nullptr);
}

TEST_F(StartUpTest, NotElevatedRelaunchAcceptedEndsAtOnce) {
  env_.administrator = false;
  env_.relaunch_accepted = true;
  Cbrix7App app(&env_);
  EXPECT_FALSE(app.InitInstance());
  EXPECT_EQ(env_.trace(), (std::vector<std::string>{
                              "relaunch D:\\Web Stack\\Sablo.exe", "exit 0"}));
  EXPECT_EQ(env_.exit_code(), 0);
  EXPECT_EQ(app.m_pMainWnd, nullptr);
}

TEST_F(StartUpTest, RelaunchRefusedGoesOnWithoutRightsOrMessage) {
  env_.administrator = false;
  env_.relaunch_accepted = false;
  Cbrix7App app(&env_);
  EXPECT_TRUE(app.InitInstance());
  auto trace = env_.trace();
  ASSERT_GE(trace.size(), 2u);
  EXPECT_EQ(trace[0], "relaunch D:\\Web Stack\\Sablo.exe");
  EXPECT_EQ(trace[1], "sleep 5000");
  // No message before the window exists.
  for (const std::string& line : trace) {
    if (line == "dialog create 102") break;
    EXPECT_NE(line.rfind("msgbox", 0), 0u) << line;
  }
  EXPECT_EQ(env_.TraceStartingWith("dialog create").size(), 1u);
}

TEST_F(StartUpTest, UnreadableModulePathSkipsTheRelaunch) {
  env_.administrator = false;
  env_.relaunch_accepted = true;
  env_.module_path = std::string(300, 'x');  // does not fit 260
  Cbrix7App app(&env_);
  EXPECT_TRUE(app.InitInstance());
  EXPECT_TRUE(env_.TraceStartingWith("relaunch").empty());
  // With no folder there is no autostart value: "Sablo.exe" alone would
  // name whatever the search finds.
  EXPECT_EQ(env_.AutostartValue("SABLO"), std::nullopt);
  EXPECT_TRUE(env_.TraceStartingWith("autostart").empty());
}

TEST_F(StartUpTest, FailedAdministratorTestShowsTheBoxAndEnds) {
  env_.admin_check_error = 5;
  Cbrix7App app(&env_);
  EXPECT_FALSE(app.InitInstance());
  EXPECT_EQ(env_.trace(),
            (std::vector<std::string>{
                "msgbox none ok \"\" \"Bramo启动失败，检查管理员权限失败！\""}));
}

TEST_F(StartUpTest, SecondInstanceEndsSilentlyAfterThePause) {
  env_.processes.push_back({300, "sablo.exe"});
  Cbrix7App app(&env_);
  EXPECT_FALSE(app.InitInstance());
  EXPECT_EQ(env_.trace(), (std::vector<std::string>{"sleep 5000"}));
  EXPECT_EQ(app.m_pMainWnd, nullptr);
}

// A folder whose name the server's configuration would read as syntax
// ends start-up with its box before the clean-up: no program is started,
// no file deleted or written, no autostart value set.  Names that only
// look alike start normally.
TEST_F(StartUpTest, AFolderTheServerCannotBeConfiguredForIsRefusedFirst) {
  struct Case {
    const char* folder;
    bool refused;
  } cases[] = {
      {"D:\\Web\nListen 18999\\", true},
      {"D:\\a\rb\\", true},
      {"D:\\tab\there\\", true},
      {"D:\\del\x7f\\", true},
      {"D:\\say \"hi\"\\", true},
      {"D:\\${HOME}\\", true},
      {"D:\\x${\\", true},
      {"D:\\a?b\\", true},  // a character the code page lacks
      {"D:\\\xB8\xF6\xC8\xCB\xD4\xC6\\", false},  // 个人云
      {"D:\\$HOME\\{x}\\", false},
      {"D:\\100% $ {ok}\\", false},
      {"D:\\\x81\x7B\\", false},  // a GBK character whose trail byte is "{"
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    FakeEnv env;
    env.module_path = std::string(c.folder) + "Sablo.exe";
    env.processes = {{100, "Sablo.exe"}};
    Cbrix7App app(&env);
    const bool started = app.InitInstance();
    EXPECT_EQ(started, !c.refused);
    if (c.refused) {
      EXPECT_EQ(env.trace(),
                (std::vector<std::string>{
                    "sleep 5000", std::string("msgbox error ok \"\" \"") +
                                      kUnsafeFolderText + "\""}));
      EXPECT_EQ(env.AutostartValue("SABLO"), std::nullopt);
      EXPECT_EQ(app.m_pMainWnd, nullptr);
    } else {
      ASSERT_GE(env.trace().size(), 2u);
      EXPECT_EQ(env.trace()[1], kCleanUp[0]);
    }
  }
}

TEST_F(StartUpTest, FailingProcessListCountsAsAnotherInstance) {
  env_.enum_processes_fails = true;
  Cbrix7App app(&env_);
  EXPECT_FALSE(app.InitInstance());
  EXPECT_EQ(env_.trace(), (std::vector<std::string>{"sleep 5000"}));
}

TEST_F(StartUpTest, AutostartIsWrittenEvenWhenTheListCannotBeOpened) {
  env_.autostart_available = false;
  Cbrix7App app(&env_);
  EXPECT_TRUE(app.InitInstance());
  EXPECT_TRUE(env_.TraceStartingWith("autostart").empty());
  EXPECT_EQ(env_.AutostartValue("SABLO"), std::nullopt);
}

TEST_F(StartUpTest, AutostartUsesTheFixedFileNameWhateverTheProgramIsCalled) {
  env_.module_path = "C:\\Program Files\\Bramo\\brix7-renamed.exe";
  RegisterAutostart(env_);
  EXPECT_EQ(env_.AutostartValue("SABLO"),
            "\"C:\\Program Files\\Bramo\\Sablo.exe\"");
}

TEST_F(StartUpTest, WindowThatCannotBeCreatedEndsTheProgram) {
  env_.dialog_creation_fails = true;
  Cbrix7App app(&env_);
  EXPECT_FALSE(app.InitInstance());
  EXPECT_TRUE(env_.tray_icons().empty());
}

TEST(InstanceCountTest, OnlyTheTwoExactSpellingsCount) {
  FakeEnv env;
  env.processes = {{10, "Sablo.exe"}, {11, "SABLO.EXE"}, {12, "Sablo.EXE"},
                   {13, "sablo.exe.bak"}, {14, "Sablo"}};
  EXPECT_FALSE(IsAnotherInstanceRunning(env));
  env.processes.push_back({15, "Sablo.exe"});
  EXPECT_TRUE(IsAnotherInstanceRunning(env));
}

TEST(InstanceCountTest, ProcessesThatCannotBeOpenedAndIdZeroAreNotCounted) {
  FakeEnv env;
  env.processes = {{0, "Sablo.exe"}, {10, "Sablo.exe"}, {11, std::nullopt}};
  EXPECT_FALSE(IsAnotherInstanceRunning(env));
}

TEST(InstanceCountTest, OnlyTheFirst1024ProcessesAreExamined) {
  FakeEnv env;
  env.processes.push_back({1, "Sablo.exe"});
  for (uint32_t pid = 2; pid <= 1024; ++pid) env.processes.push_back({pid, "x"});
  env.processes.push_back({5000, "Sablo.exe"});  // the 1025th
  EXPECT_FALSE(IsAnotherInstanceRunning(env));
  env.processes[1023].name = "sablo.exe";  // the 1024th
  EXPECT_TRUE(IsAnotherInstanceRunning(env));
}

}  // namespace
