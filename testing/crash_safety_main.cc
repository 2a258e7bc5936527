// A writer process killed (SIGKILL) at many points while it rewrites the
// controller's files: every file must then hold one of the contents the
// rewrites pass through, whole, never a torn one.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "platform/posix/posix_env.h"
#include "testing/rewrite_cycle.h"
#include "testing/temp_folder.h"

extern char** environ;

namespace {

using testing_support::RewrittenFiles;
using testing_support::TempFolder;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return in ? ss.str() : std::string("(missing)");
}

double Now() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

// The Linux layer, noting the content of every rewritten file after each
// whole-file write it makes.
class StateRecorder : public platform::PosixEnv {
 public:
  explicit StateRecorder(const TempFolder& folder) : folder_(folder) { Note(); }
  bool WriteWholeFile(const std::string& path,
                      const std::string& bytes) override {
    bool ok = PosixEnv::WriteWholeFile(path, bytes);
    Note();
    return ok;
  }
  std::map<std::string, std::set<std::string>> states;

 private:
  void Note() {
    for (const std::string& file : RewrittenFiles()) {
      states[file].insert(ReadFile(folder_.path() + file));
    }
  }
  const TempFolder& folder_;
};

TEST(CrashSafetyTest, AKilledWriterLeavesEveryFileOldOrNewAndWhole) {
  // Every state of every file, from the initial files through cycles that
  // repeat themselves after two.
  // The files hold the folder's path, so every run uses the same folder.
  TempFolder folder;
  testing_support::WriteInitialFiles(folder.path());
  StateRecorder recorder(folder);
  double start = Now();
  for (int n = 0; n < 4; ++n) {
    testing_support::RewriteCycle(recorder, folder.windows_path(), n);
  }
  const double cycle_s = (Now() - start) / 4;
  for (const std::string& file : RewrittenFiles()) {
    ASSERT_GE(recorder.states[file].size(), 2u) << file << " never rewritten";
  }

  std::mt19937 random(12345);
  std::uniform_real_distribution<double> pause(0, 3 * cycle_s);
  std::map<std::string, std::set<std::string>> seen;
  const int kKills = 120;
  for (int kill_number = 0; kill_number < kKills; ++kill_number) {
    // Afresh: the temporary files of a killed write go too.
    std::filesystem::remove_all(folder.path());
    testing_support::WriteInitialFiles(folder.path());
    std::string program = REWRITE_WRITER;
    std::string target = folder.windows_path();
    char* argv[] = {program.data(), target.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(
        posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ), 0);
    usleep(static_cast<useconds_t>(pause(random) * 1e6));
    kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself";
    for (const std::string& file : RewrittenFiles()) {
      std::string content = ReadFile(folder.path() + file);
      EXPECT_EQ(recorder.states[file].count(content), 1u)
          << file << " torn after kill " << kill_number << ": "
          << content.size() << " bytes";
      seen[file].insert(content);
    }
  }
  // The kills fell at many points: most files were met in several states.
  for (const std::string& file : RewrittenFiles()) {
    std::cout << file << ": " << seen[file].size() << " of "
              << recorder.states[file].size() << " states met in " << kKills
              << " kills\n";
  }
  EXPECT_GE(seen["sablo.ini"].size(), 5u);
}

}  // namespace
