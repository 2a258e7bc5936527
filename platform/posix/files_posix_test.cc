// Reads of files others may have replaced: a link to a device that never
// ends, a FIFO nobody writes, a folder.  None may block or grow.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/posix/posix_env.h"
#include "testing/temp_folder.h"

namespace platform {
namespace {

TEST(HostileFileTest, OnlyRegularFilesAreReadAndNothingBlocks) {
  testing_support::TempFolder dir;
  PosixEnv env;
  ASSERT_EQ(symlink("/dev/zero", (dir.path() + "zero").c_str()), 0);
  ASSERT_EQ(mkfifo((dir.path() + "fifo").c_str(), 0600), 0);
  ASSERT_EQ(mkdir((dir.path() + "folder").c_str(), 0700), 0);
  dir.Write("regular", "[s]\r\nk=v\r\n");
  ASSERT_EQ(symlink("regular", (dir.path() + "link").c_str()), 0);
  struct Case {
    const char* name;
    bool readable;
  } cases[] = {{"zero", false},   {"fifo", false}, {"folder", false},
               {"regular", true}, {"link", true},  {"missing", false}};
  for (const Case& c : cases) {
    std::string file = dir.windows_path() + c.name;
    EXPECT_EQ(env.ReadWholeFile(file, 1 << 20).has_value(), c.readable)
        << c.name;
    EXPECT_EQ(env.GetProfileText("s", "k", "none", 32, file),
              c.readable ? "v" : "none")
        << c.name;
  }
  // A write never replaces what could not be read.
  EXPECT_FALSE(
      env.WriteProfileText("s", "k", "w", dir.windows_path() + "fifo"));
  struct stat st;
  ASSERT_EQ(lstat((dir.path() + "fifo").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  // A settings file over the limit is not read, nor rewritten cut.
  std::string huge =
      "[s]\r\nk=v\r\n" + std::string(Env::kProfileFileLimit, ';');
  dir.Write("huge.ini", huge);
  std::string file = dir.windows_path() + "huge.ini";
  EXPECT_EQ(env.GetProfileText("s", "k", "none", 32, file), "none");
  EXPECT_FALSE(env.WriteProfileText("s", "k", "w", file));
  EXPECT_EQ(dir.Read("huge.ini").size(), huge.size());
}

}  // namespace
}  // namespace platform
