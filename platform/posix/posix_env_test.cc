#include "platform/posix/posix_env.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "platform/posix/console_text.h"
#include "platform/posix/spawn.h"
#include "testing/temp_folder.h"

namespace platform {
namespace {

using testing_support::TempFolder;

// A small program of the test's own: a shell script that records its
// arguments, process id and session, then waits if asked to.
void WriteRecorder(const TempFolder& dir, const std::string& relative) {
  dir.Write(relative,
            "#!/bin/sh\n"
            "out=\"$(dirname \"$0\")/ran.txt\"\n"
            "for a in \"$@\"; do printf '[%s]' \"$a\"; done > \"$out.tmp\"\n"
            "echo >> \"$out.tmp\"\n"
            "echo $$ >> \"$out.tmp\"\n"
            "mv \"$out.tmp\" \"$out\"\n"
            "[ \"$1\" = wait ] && exec sleep 30\n"
            "exit 0\n");
  chmod((dir.path() + relative).c_str(), 0755);
}

std::string WaitForFile(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    std::ifstream in(path);
    if (in) {
      std::stringstream ss;
      ss << in.rdbuf();
      return ss.str();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "";
}

class ProgramLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char buf[4096];
    ASSERT_NE(getcwd(buf, sizeof buf), nullptr);
    old_cwd_ = buf;
    ASSERT_EQ(chdir(cwd_.path().c_str()), 0);
  }
  void TearDown() override { ASSERT_EQ(chdir(old_cwd_.c_str()), 0); }
  TempFolder own_;
  TempFolder cwd_;
  std::string old_cwd_;
};

TEST_F(ProgramLookupTest, BareNamesTryOwnFolderThenCurrentThenPath) {
  WriteRecorder(cwd_, "tool.exe");
  unsigned error = 0;
  EXPECT_EQ(ResolveProgram("tool.exe", own_.path(), &error), "./tool.exe");
  WriteRecorder(own_, "tool.exe");
  EXPECT_EQ(ResolveProgram("tool.exe", own_.path(), &error),
            own_.path() + "tool.exe");
  EXPECT_EQ(ResolveProgram("sh", own_.path(), &error).substr(0, 1), "/");
  EXPECT_EQ(ResolveProgram("no-such-tool-here", own_.path(), &error), "");
  EXPECT_EQ(error, 2u);
}

TEST_F(ProgramLookupTest, ExeSuffixIsDroppedOrAddedWhenThatNameExists) {
  WriteRecorder(own_, "pskill.exe");
  WriteRecorder(own_, "curl-standin");
  unsigned error = 0;
  // "pskill" has no extension: Windows appends .exe.
  EXPECT_EQ(ResolveProgram("pskill", own_.path(), &error),
            own_.path() + "pskill.exe");
  // "curl-standin.exe" does not exist; the bare name does.
  EXPECT_EQ(ResolveProgram("curl-standin.exe", own_.path(), &error),
            own_.path() + "curl-standin");
}

TEST_F(ProgramLookupTest, PathsWithBackslashesAreRelativeToTheCurrentFolder) {
  WriteRecorder(cwd_, "apache/bin/pv");
  unsigned error = 0;
  EXPECT_EQ(ResolveProgram("apache\\bin\\pv", own_.path(), &error),
            "apache/bin/pv");
  EXPECT_EQ(ResolveProgram("apache\\nope\\pv", own_.path(), &error), "");
  EXPECT_EQ(error, 3u);  // the folder is not there
  EXPECT_EQ(ResolveProgram("apache\\bin\\nope", own_.path(), &error), "");
  EXPECT_EQ(error, 2u);
}

TEST_F(ProgramLookupTest, WinExecStartsDetachedWithWindowsArgumentsAndNoShell) {
  WriteRecorder(own_, "rec.exe");
  // Quotes and a backslash follow the Windows rules; ';' and '$(...)'
  // reach the program as text, since no shell sees the line.
  unsigned r =
      PosixWinExec("rec wait \"two words\" a\\\"b ;x $(id)", own_.path());
  EXPECT_EQ(r, 33u);
  std::string ran = WaitForFile(own_.path() + "ran.txt");
  ASSERT_FALSE(ran.empty());
  std::istringstream lines(ran);
  std::string args, pid_text;
  std::getline(lines, args);
  std::getline(lines, pid_text);
  EXPECT_EQ(args, "[wait][two words][a\"b][;x][$(id)]");
  pid_t pid = std::atoi(pid_text.c_str());
  ASSERT_GT(pid, 1);
  // It runs in a session of its own, on /dev/null, and once ended it is
  // reaped without anyone waiting for it: no zombie stays behind.
  EXPECT_NE(getsid(pid), getsid(0));
  const std::string proc = "/proc/" + std::to_string(pid);
  for (const char* fd : {"/fd/0", "/fd/1", "/fd/2"}) {
    EXPECT_EQ(std::filesystem::read_symlink(proc + fd).string(), "/dev/null");
  }
  EXPECT_EQ(kill(pid, SIGKILL), 0);
  bool gone = false;
  for (int i = 0; i < 400 && !gone; ++i) {
    gone = !std::filesystem::exists(proc);
    if (!gone) usleep(5000);
  }
  EXPECT_TRUE(gone) << "still in /proc (a zombie) after it was killed";
}

TEST_F(ProgramLookupTest, WinExecReportsMissingProgramsAsWindowsDoes) {
  EXPECT_EQ(PosixWinExec("no-such-program-x", own_.path()), 2u);
  EXPECT_EQ(PosixWinExec("nofolder\\x.exe", own_.path()), 3u);
  EXPECT_EQ(PosixWinExec("", own_.path()), 2u);
  cwd_.Write("notprog.exe",
             "\x7f"
             "garbage");
  chmod((cwd_.path() + "notprog.exe").c_str(), 0755);
  EXPECT_EQ(PosixWinExec("notprog.exe", own_.path()), 11u);
}

TEST_F(ProgramLookupTest, CommandInterpreterVerbsRunInTheLayer) {
  cwd_.Write("pc2/sessionstemp/sess_1", "x");
  cwd_.Write("pc2/sessionstemp/keep/sess_2", "y");
  EXPECT_EQ(PosixWinExec("cmd /c del /Q pc2\\sessionstemp", own_.path()), 33u);
  EXPECT_FALSE(cwd_.Exists("pc2/sessionstemp/sess_1"));
  EXPECT_TRUE(cwd_.Exists("pc2/sessionstemp/keep/sess_2"));
  // A missing folder changes nothing and is no error of WinExec's.
  EXPECT_EQ(PosixWinExec("cmd /c del /Q apache\\logs", own_.path()), 33u);
}

TEST_F(ProgramLookupTest, SystemWaitsAndGivesTheExitStatus) {
  cwd_.Write("exit3", "#!/bin/sh\nexit 3\n");
  chmod((cwd_.path() + "exit3").c_str(), 0755);
  EXPECT_EQ(PosixSystem("exit3", own_.path()), 3);
  EXPECT_EQ(PosixSystem("no-such-program-x", own_.path()), 9009);
  EXPECT_EQ(PosixSystem("md made\\here", own_.path()), 0);
  EXPECT_TRUE(cwd_.Exists("made/here"));
  EXPECT_EQ(PosixSystem("rd /s /q made", own_.path()), 0);
  EXPECT_FALSE(cwd_.Exists("made"));
}

// The console as the program has it: standard output into a file of the
// test's, standard input from another.
class ConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::fflush(stdout);
    saved_out_ = dup(STDOUT_FILENO);
    saved_in_ = dup(STDIN_FILENO);
    Redirect(STDOUT_FILENO, "out", O_WRONLY | O_CREAT | O_TRUNC);
  }
  void TearDown() override {
    std::fflush(stdout);
    dup2(saved_out_, STDOUT_FILENO);
    dup2(saved_in_, STDIN_FILENO);
    close(saved_out_);
    close(saved_in_);
    std::clearerr(stdin);
  }
  void Input(const std::string& text) {
    folder_.Write("in", text);
    Redirect(STDIN_FILENO, "in", O_RDONLY);
    std::clearerr(stdin);
  }
  std::string Output() {
    std::fflush(stdout);
    return folder_.Read("out");
  }
  void Redirect(int fd, const std::string& name, int flags) {
    int file = open((folder_.path() + name).c_str(), flags | O_CLOEXEC, 0600);
    ASSERT_GE(file, 0);
    dup2(file, fd);
    close(file);
  }
  TempFolder folder_;
  int saved_out_ = -1;
  int saved_in_ = -1;
  PosixEnv env_;
};

TEST_F(ConsoleTest, TrayLinesShowRoleAndUtf8TextWithLineEnds) {
  NotifyIconData nid;
  nid.uID = 128;
  nid.hIcon = env_.LoadIconResource(kIconIdle);
  std::string tip = "Bramo正在初始化...\n第二行";
  std::copy(tip.begin(), tip.end(), nid.szTip);
  env_.NotifyIcon(kNimAdd, nid);
  nid.hIcon = env_.LoadIconResource(kIconWarning);
  env_.NotifyIcon(kNimModify, nid);
  env_.NotifyIcon(kNimDelete, nid);
  EXPECT_EQ(
      Output(),
      "[tray] add idle \"Bramo\xe6\xad\xa3\xe5\x9c\xa8\xe5\x88\x9d\xe5\xa7"
      "\x8b\xe5\x8c\x96...\\n\xe7\xac\xac\xe4\xba\x8c\xe8\xa1\x8c\"\n"
      "[tray] modify warning \"Bramo\xe6\xad\xa3\xe5\x9c\xa8\xe5\x88\x9d"
      "\xe5\xa7\x8b\xe5\x8c\x96...\\n\xe7\xac\xac\xe4\xba\x8c\xe8\xa1\x8c"
      "\"\n"
      "[tray] delete warning \"Bramo\xe6\xad\xa3\xe5\x9c\xa8\xe5\x88\x9d"
      "\xe5\xa7\x8b\xe5\x8c\x96...\\n\xe7\xac\xac\xe4\xba\x8c\xe8\xa1\x8c"
      "\"\n");
}

TEST_F(ConsoleTest, BoxesReadTheirAnswerAndNeverAgreeAtEndOfInput) {
  Input("cancel\n\nok\n");
  EXPECT_EQ(env_.ShowMessageBox(0, "t", "c", mb::kOkCancel), id::kCancel);
  EXPECT_EQ(env_.ShowMessageBox(0, "t", "c", mb::kOkCancel), id::kOk);
  EXPECT_EQ(env_.ShowMessageBox(0, "t", "c", mb::kOk), id::kOk);
  // Input is used up: OK/Cancel takes Cancel, an OK box takes OK.
  EXPECT_EQ(env_.ShowMessageBox(0, "t", "c", mb::kOkCancel), id::kCancel);
  EXPECT_EQ(env_.ShowMessageBox(0, "t", "c", mb::kOk), id::kOk);
  EXPECT_NE(Output().find("[box] c: t"), std::string::npos);
}

TEST(ConsoleTextTest, GbkConvertsBothWaysAndBadBytesShowAsQuestionMarks) {
  std::string gbk = "欢迎使用Bramo";
  EXPECT_EQ(GbkToUtf8(gbk),
            "\xe6\xac\xa2\xe8\xbf\x8e\xe4\xbd\xbf\xe7\x94\xa8"
            "Bramo");
  EXPECT_EQ(Utf8ToGbk(GbkToUtf8(gbk)), gbk);
  EXPECT_EQ(GbkToUtf8(std::string("a\xff"
                                  "b",
                                  3)),
            "a?b");
  EXPECT_EQ(GbkToUtf8(std::string("a\xb0", 2)), "a?");  // cut character
}

TEST(AutostartTest, IsADesktopEntryWithTheQuotedLinuxPath) {
  TempFolder config;
  const char* old = std::getenv("XDG_CONFIG_HOME");
  std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  PosixEnv env;
  EXPECT_EQ(env.AutostartValue("SABLO"), std::nullopt);
  ASSERT_TRUE(env.SetAutostartValue("SABLO", "\"\\opt\\bramo\\Sablo.exe\""));
  std::string entry = config.Read("autostart/sablo.desktop");
  EXPECT_NE(entry.find("[Desktop Entry]\n"), std::string::npos);
  EXPECT_NE(entry.find("\nExec=\"/opt/bramo/Sablo.exe\"\n"), std::string::npos);
  EXPECT_EQ(env.AutostartValue("SABLO"), "\"\\opt\\bramo\\Sablo.exe\"");
  // Rewritten, not appended to.
  ASSERT_TRUE(env.SetAutostartValue("SABLO", "\"\\srv\\Sablo.exe\""));
  EXPECT_EQ(env.AutostartValue("SABLO"), "\"\\srv\\Sablo.exe\"");
  // Folder names the format would misread: each is quoted and escaped,
  // stays on its one line and reads back as it was.
  struct Case {
    const char* folder;
    const char* exec;
  } cases[] = {
      {"\\a b", "Exec=\"/a b/Sablo.exe\""},
      {"\\x\nExec=evil", "Exec=\"/x\\nExec=evil/Sablo.exe\""},
      {"\\q\"`$(id)", "Exec=\"/q\\\\\"\\\\`\\\\$(id)/Sablo.exe\""},
      {"\\100%u", "Exec=\"/100%%u/Sablo.exe\""},
      {"\\tab\tcr\r", "Exec=\"/tab\\tcr\\r/Sablo.exe\""},
  };
  for (const Case& c : cases) {
    std::string data = std::string("\"") + c.folder + "\\Sablo.exe\"";
    ASSERT_TRUE(env.SetAutostartValue("SABLO", data));
    std::string entry = config.Read("autostart/sablo.desktop");
    EXPECT_NE(entry.find(std::string("\n") + c.exec + "\n"), std::string::npos)
        << entry;
    EXPECT_EQ(entry.find("\nExec="), entry.rfind("\nExec=")) << entry;
    EXPECT_EQ(env.AutostartValue("SABLO"), data) << c.folder;
  }
  // A folder in the entry's place: refused, and no temporary file left
  // beside it.
  ASSERT_EQ(std::remove((config.path() + "autostart/sablo.desktop").c_str()),
            0);
  config.Write("autostart/sablo.desktop/inside", "x");
  EXPECT_FALSE(env.SetAutostartValue("SABLO", "\"\\srv\\Sablo.exe\""));
  EXPECT_FALSE(config.Exists("autostart/sablo.desktop.tmp"));
  EXPECT_TRUE(config.Exists("autostart/sablo.desktop/inside"));
  // A relative folder is to be ignored: the entry goes under ~/.config.
  TempFolder home;
  const char* old_home = std::getenv("HOME");
  std::string saved_home = old_home ? old_home : "";
  setenv("HOME", home.path().c_str(), 1);
  setenv("XDG_CONFIG_HOME", "relative/config", 1);
  ASSERT_TRUE(env.SetAutostartValue("SABLO", "\"\\srv\\Sablo.exe\""));
  EXPECT_TRUE(home.Exists(".config/autostart/sablo.desktop"));
  setenv("HOME", saved_home.c_str(), 1);
  if (old) {
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

TEST(ProcessTableTest, ListsThisProcessWithItsProgramName) {
  PosixEnv env;
  std::vector<uint32_t> ids;
  ASSERT_TRUE(env.EnumProcesses(1 << 20, &ids));
  uint32_t self = static_cast<uint32_t>(getpid());
  EXPECT_NE(std::find(ids.begin(), ids.end(), self), ids.end());
  EXPECT_EQ(env.ProcessBaseName(self, 260), "bramo_tests");
  EXPECT_EQ(env.ProcessBaseName(self, 6), "bramo");
  ASSERT_TRUE(env.EnumProcesses(2, &ids));
  EXPECT_EQ(ids.size(), 2u);
}

TEST(ProcessTableTest, AZombieHasNoName) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(0);
  // Until it is reaped the child is a zombie.
  for (int i = 0; i < 200; ++i) {
    std::ifstream stat("/proc/" + std::to_string(child) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    if (text.find(") Z") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  PosixEnv env;
  EXPECT_EQ(env.ProcessBaseName(static_cast<uint32_t>(child), 260),
            std::nullopt);
  waitpid(child, nullptr, 0);
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

class QuietWindow : public WindowHost {
 public:
  bool OnInitDialog(WindowHandle) override { return true; }
  bool OnMessage(uint32_t, uintptr_t, intptr_t, intptr_t*) override {
    return false;
  }
  void OnDestroy() override { destroyed = true; }
  bool destroyed = false;
};

TEST(MessageLoopTest, EndsWhenTheMainWindowIsDestroyedButNotForAnother) {
  PosixEnv env;
  QuietWindow main_host, other_host;
  WindowHandle main_window = env.CreateDialogWindow(102, &main_host);
  WindowHandle other = env.CreateDialogWindow(103, &other_host);
  std::thread closer([&] {
    env.DestroyDialogWindow(other);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    env.DestroyDialogWindow(main_window);
  });
  EXPECT_EQ(env.RunMessageLoop(main_window), 0);
  closer.join();
  EXPECT_TRUE(main_host.destroyed);
  EXPECT_TRUE(other_host.destroyed);
  // A loop for a window that is gone returns at once.
  EXPECT_EQ(env.RunMessageLoop(main_window), 0);
}

TEST(MessageLoopTest, EndsOnSigterm) {
  PosixEnv env;
  QuietWindow host;
  WindowHandle window = env.CreateDialogWindow(102, &host);
  std::thread signaller([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    kill(getpid(), SIGTERM);
  });
  EXPECT_EQ(env.RunMessageLoop(window), 0);
  signaller.join();
  EXPECT_FALSE(host.destroyed);
  env.DestroyDialogWindow(window);
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
}

}  // namespace
}  // namespace platform
