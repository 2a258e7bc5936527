#include "tools/kill_by_name.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "testing/temp_folder.h"

namespace tools {
namespace {

using testing_support::TempFolder;

pid_t StartCopyOfSleep(const std::string& program) {
  std::filesystem::copy_file("/bin/sleep", program,
                             std::filesystem::copy_options::overwrite_existing);
  chmod(program.c_str(), 0755);
  pid_t pid = fork();
  if (pid == 0) {
    execl(program.c_str(), program.c_str(), "30", static_cast<char*>(nullptr));
    _exit(127);
  }
  // Wait until the exec has happened, so /proc shows the new program.
  std::string exe = "/proc/" + std::to_string(pid) + "/exe";
  for (int i = 0; i < 500; ++i) {
    std::error_code ec;
    if (std::filesystem::read_symlink(exe, ec).string() == program) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return pid;
}

TEST(KillByNameTest, NamesMatchWithoutCaseAndWithTheExeSuffix) {
  EXPECT_TRUE(NameMatches("update.exe", "update"));
  EXPECT_TRUE(NameMatches("HTTPD.EXE", "httpd.exe"));
  EXPECT_TRUE(NameMatches("curl", "curl"));
  EXPECT_FALSE(NameMatches("curl", "curl.exe"));
  EXPECT_FALSE(NameMatches("updater.exe", "update"));
}

TEST(KillByNameTest, TheInstallFolderIsTheOneHoldingSablo) {
  TempFolder install;
  install.Write("Sablo.exe", "");
  install.Write("apache/bin/pv", "");
  EXPECT_EQ(InstallFolderOf(install.path() + "apache/bin/pv"), install.path());
  TempFolder loose;
  loose.Write("pskill", "");
  EXPECT_EQ(InstallFolderOf(loose.path() + "pskill"), loose.path());
}

TEST(KillByNameTest, OnlyThisInstallationsProcessesAreEnded) {
  TempFolder install;
  install.Write("Sablo.exe", "");
  TempFolder elsewhere;
  pid_t inside = StartCopyOfSleep(install.path() + "update.exe");
  pid_t outside = StartCopyOfSleep(elsewhere.path() + "update.exe");
  ASSERT_GT(inside, 0);
  ASSERT_GT(outside, 0);

  std::vector<ProcessId> found =
      FindInstallationProcesses(install.path(), "update");
  EXPECT_EQ(found, std::vector<ProcessId>{inside});
  EXPECT_EQ(EndProcesses(found), 1);
  int status = 0;
  ASSERT_EQ(waitpid(inside, &status, 0), inside);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGKILL);

  // pskill's way: all of the installation's, looked for again until none
  // is left.
  install.Write("bin/.keep", "");
  pid_t first = StartCopyOfSleep(install.path() + "update.exe");
  pid_t second = StartCopyOfSleep(install.path() + "bin/update.exe");
  EXPECT_EQ(EndInstallationProcesses(install.path(), "update"), 2);
  for (pid_t pid : {first, second}) {
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status));
  }

  // The stranger of the same name still runs; the test ends it itself.
  EXPECT_EQ(waitpid(outside, &status, WNOHANG), 0);
  kill(outside, SIGKILL);
  waitpid(outside, &status, 0);
}

}  // namespace
}  // namespace tools
