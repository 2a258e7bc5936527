// Behaviour of the layer of the platform being built, through the same
// Env calls the system's code makes: run natively against the Linux layer
// and under Wine against the Win32 one.  Only calls that need no visible
// window are here.
#include <gtest/gtest.h>

#include <unistd.h>
#include <deque>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "platform/env.h"
#include "platform/thread_stop.h"
#include "testing/concurrent_writes.h"
#include "testing/temp_folder.h"

namespace platform {
namespace {

using testing_support::TempFolder;

uint32_t OwnPid() { return static_cast<uint32_t>(getpid()); }

std::string BaseName(const std::string& windows_path) {
  return windows_path.substr(windows_path.rfind('\\') + 1);
}

std::string Folder(const std::string& windows_path) {
  return windows_path.substr(0, windows_path.rfind('\\') + 1);
}

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  quoted += text;
  quoted += '"';
  return quoted;
}

// The content of `path` once it exists, waiting up to 10 s for a program
// started without waiting; nullopt when it never appears.
std::optional<std::string> WaitForFile(const std::string& path) {
  for (int i = 0; i < 200; ++i) {
    std::ifstream in(path, std::ios::binary);
    if (in) {
      std::stringstream ss;
      ss << in.rdbuf();
      return ss.str();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return std::nullopt;
}

class PlatformEnvTest : public ::testing::Test {
 protected:
  std::unique_ptr<Env> env_{NewPlatformEnv()};
};

TEST_F(PlatformEnvTest, TwoThreadsWritingOneFileLoseNoWrite) {
  TempFolder dir;
  const int rounds = 200;
  EXPECT_EQ(testing_support::WriteFromTwoThreads(
                *env_, dir.windows_path() + "ip", rounds),
            0);
  const std::string last = dir.Read("ip");
  EXPECT_TRUE(last == testing_support::WriterText(0, rounds - 1) ||
              last == testing_support::WriterText(1, rounds - 1));
}

TEST_F(PlatformEnvTest, AStoppedThreadsPauseEndsAtOnceAndItDoesNothingMore) {
  TempFolder dir;
  const std::string file = dir.windows_path() + "rc.txt";
  HttpCancel stop;
  std::atomic<bool> pausing{false};
  int stoppedAt = 0;
  std::thread worker([&] {
    ThreadStopScope scope(&stop);
    try {
      pausing = true;
      env_->Sleep(60000);
      stoppedAt = 1;
      env_->WriteWholeFile(file, "1");
      stoppedAt = 2;
    } catch (const ThreadStopped&) {
      stoppedAt += 10;
    }
  });
  while (!pausing) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const auto start = std::chrono::steady_clock::now();
  stop.Cancel();
  worker.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start,
            std::chrono::milliseconds(100));
  EXPECT_EQ(stoppedAt, 10);  // the pause threw; nothing after it ran
  EXPECT_FALSE(dir.Exists("rc.txt"));
  // A thread without a stop token pauses as before.
  const auto pause = std::chrono::steady_clock::now();
  env_->Sleep(20);
  EXPECT_GE(std::chrono::steady_clock::now() - pause,
            std::chrono::milliseconds(19));
}

TEST_F(PlatformEnvTest, ModulePathIsThisProgramsFullWindowsPath) {
  std::string path = env_->ModulePath(260);
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.find('/'), std::string::npos) << path;
  // "C:\...\bramo_tests.exe" on Windows, "\...\bramo_tests" on Linux.
  bool rooted =
      path[0] == '\\' || (path.size() > 3 && path.substr(1, 2) == ":\\");
  EXPECT_TRUE(rooted) << path;
  std::string base = BaseName(path);
  EXPECT_TRUE(base == "bramo_tests" || base == "bramo_tests.exe") << path;

  // The path must fit with its terminating zero, or it is not given at all
  // (a cut path would name another file).
  EXPECT_EQ(env_->ModulePath(path.size() + 1), path);
  EXPECT_EQ(env_->ModulePath(path.size()), "");
  EXPECT_EQ(env_->ModulePath(8), "");
}

TEST_F(PlatformEnvTest, ProcessListHoldsThisProcessUnderItsModuleBaseName) {
  std::vector<uint32_t> ids;
  ASSERT_TRUE(env_->EnumProcesses(1024, &ids));
  EXPECT_LE(ids.size(), 1024u);
  EXPECT_NE(std::find(ids.begin(), ids.end(), OwnPid()), ids.end());

  std::string base = BaseName(env_->ModulePath(260));
  EXPECT_EQ(env_->ProcessBaseName(OwnPid(), 260), base);
  // A name longer than the room is cut to capacity - 1 characters.
  EXPECT_EQ(env_->ProcessBaseName(OwnPid(), 6), "bramo");

  // The list is cut to the room given.
  ASSERT_TRUE(env_->EnumProcesses(1, &ids));
  EXPECT_EQ(ids.size(), 1u);
}

TEST_F(PlatformEnvTest, AProcessThatDoesNotExistHasNoName) {
  EXPECT_EQ(env_->ProcessBaseName(0xFFFFFFF0u, 260), std::nullopt);
}

class PlatformProgramTest : public PlatformEnvTest {
 protected:
  // The test tool is built beside this program.
  std::string tool_ = Folder(env_->ModulePath(260)) + "marker_tool";
  TempFolder out_;
};

TEST_F(PlatformProgramTest, RunsHiddenWithoutWaitingAndSplitsAsWindowsDoes) {
  std::string marker = out_.path() + "started.txt";
  unsigned result = env_->WinExec("\"" + tool_ + "\" \"" + marker +
                                  "\" \"two words\" a\\\"b c\\\\d");
  EXPECT_GT(result, 31u);
  EXPECT_EQ(WaitForFile(marker), "two words\na\"b\nc\\\\d\n");
}

TEST_F(PlatformProgramTest, FindsABareNameInTheProgramsOwnFolder) {
  std::string marker = out_.path() + "bare.txt";
  EXPECT_GT(env_->WinExec("marker_tool \"" + marker + "\" found"), 31u);
  EXPECT_EQ(WaitForFile(marker), "found\n");
}

TEST_F(PlatformProgramTest, AMissingProgramGivesFileNotFound) {
  EXPECT_EQ(env_->WinExec("bramo_no_such_program_4711"), 2u);
  EXPECT_EQ(env_->WinExec("bramo_no_such_program_4711 with arguments"), 2u);
}

TEST_F(PlatformProgramTest, CommandInterpreterMakesFoldersAndEmptiesThem) {
  std::string folder = out_.windows_path() + "logs";
  EXPECT_EQ(env_->System("md \"" + folder + "\""), 0);
  ASSERT_TRUE(out_.Exists("logs"));
  out_.Write("logs/a.log", "a");
  out_.Write("logs/b.log", "b");
  env_->System("del /Q \"" + folder + "\"");
  // The files go, the folder stays.
  EXPECT_FALSE(out_.Exists("logs/a.log"));
  EXPECT_FALSE(out_.Exists("logs/b.log"));
  EXPECT_TRUE(out_.Exists("logs"));
}

TEST_F(PlatformProgramTest, CommandInterpreterTakesAQuotedFolderWhole) {
  // A folder with a blank, as the updater's download folder may be.
  std::string folder = out_.windows_path() + "my tmp\\sablo_update";
  out_.Write("my/keep.txt", "the user's");
  EXPECT_EQ(env_->System("md \"" + folder + "\""), 0);
  EXPECT_TRUE(out_.Exists("my tmp/sablo_update"));
  out_.Write("my tmp/sablo_update/setup.exe", "x");
  env_->System("rd /s /q \"" + folder + "\"");
  EXPECT_FALSE(out_.Exists("my tmp/sablo_update"));
  EXPECT_TRUE(out_.Exists("my tmp"));
  EXPECT_EQ(out_.Read("my/keep.txt"), "the user's");
}

TEST_F(PlatformProgramTest, ACapturedRunKeepsStandardErrorApart) {
  std::string output, errors;
  int exit_code = -1;
  uint32_t error = 0;
  ASSERT_EQ(env_->RunCommandCaptured("\"" + tool_ + "\" -streams", &output,
                                     &errors, &exit_code, &error),
            0);
  EXPECT_EQ(output, "answer");
  EXPECT_EQ(errors, "meter");
  EXPECT_EQ(exit_code, 3);
}

// A bounded run: a program that ends in time is taken as without a bound;
// one that hangs is ended at its time, or at once when its thread is
// stopped, with what it wrote kept.
TEST_F(PlatformProgramTest, ABoundedRunEndsAProgramThatHangs) {
  std::string output, errors;
  int exit_code = -1;
  uint32_t error = 0;
  ASSERT_EQ(env_->RunCommandCapturedFor(Quoted(tool_) + " -streams", 10000,
                                        &output, &errors, &exit_code, &error),
            0);
  EXPECT_EQ(output + errors, "answermeter");
  EXPECT_EQ(exit_code, 3);

  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(env_->RunCommandCapturedFor(Quoted(tool_) + " -hang", 1000, &output,
                                        &errors, &exit_code, &error),
            5);
  EXPECT_EQ(output, "started");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

  HttpCancel stop;
  bool stopped = false;
  start = std::chrono::steady_clock::now();
  std::thread worker([&] {
    ThreadStopScope scope(&stop);
    try {
      env_->RunCommandCapturedFor(Quoted(tool_) + " -hang", 60000, &output,
                                  &errors, &exit_code, &error);
    } catch (const ThreadStopped&) {
      stopped = true;
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  stop.Cancel();
  worker.join();
  EXPECT_TRUE(stopped);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(PlatformProgramTest, CommandInterpreterReportsAnUnknownProgram) {
  EXPECT_EQ(env_->System("bramo_no_such_program_4711"), 9009);
}

// Points the Linux layer's autostart folder at a temporary one for the
// test; the Win32 layer writes the registry (under Wine, its prefix's).
class PlatformAutostartTest : public PlatformEnvTest {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    saved_ = Keep(std::string("XDG_CONFIG_HOME=") + (old ? old : ""));
    putenv(Keep("XDG_CONFIG_HOME=" + config_.path()));
  }
  void TearDown() override { putenv(saved_); }

  // putenv keeps the very text it is given in the environment, so the
  // text must outlive the test: it stays until the program ends.
  static char* Keep(const std::string& text) {
    static std::deque<std::string> kept;  // elements never move
    kept.push_back(text);
    return kept.back().data();
  }

  TempFolder config_;
  char* saved_ = nullptr;
};

TEST_F(PlatformAutostartTest, ValueIsWrittenReadBackAndRewritten) {
  const std::string name = "BRAMO_TEST";
  std::string first = Quoted(config_.windows_path() + "Sablo.exe");
  ASSERT_TRUE(env_->SetAutostartValue(name, first));
  EXPECT_EQ(env_->AutostartValue(name), first);

  std::string second = Quoted(config_.windows_path() + "other\\Sablo.exe");
  ASSERT_TRUE(env_->SetAutostartValue(name, second));
  EXPECT_EQ(env_->AutostartValue(name), second);

  EXPECT_EQ(env_->AutostartValue("BRAMO_TEST_NEVER_WRITTEN"), std::nullopt);
}

TEST_F(PlatformEnvTest, LoadsTheControllersIconsAndNoOthers) {
  for (int id :
       {kIconApp, kIconRunning, kIconWarning, kIconIdle, kIconUnregistered}) {
    EXPECT_NE(env_->LoadIconResource(id), 0u) << id;
  }
  EXPECT_EQ(env_->LoadIconResource(4711), 0u);
}

TEST_F(PlatformEnvTest, CommonControlsInitialise) {
  EXPECT_TRUE(env_->InitCommonControls(8, kIccWin95Classes));
}

}  // namespace
}  // namespace platform
