// Reads of files others may have replaced: a link to a device that never
// ends, a FIFO nobody writes, a folder, a link to a file.  None may block
// or grow, and no link is followed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/posix/linux_name.h"
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
               {"regular", true}, {"link", false}, {"missing", false}};
  for (const Case& c : cases) {
    std::string file = dir.windows_path() + c.name;
    EXPECT_EQ(env.ReadWholeFile(file, 1 << 20).has_value(), c.readable)
        << c.name;
    EXPECT_EQ(env.GetProfileText("s", "k", "none", 32, file),
              c.readable ? "v" : "none")
        << c.name;
  }
  // A short-lived file is written in place only where a regular file is
  // or none: never through a link, never blocking on a pipe.
  for (const Case& c : cases) {
    std::string file = dir.windows_path() + c.name;
    bool writable = c.readable || std::string(c.name) == "missing";
    EXPECT_EQ(env.WriteShortLivedFile(file, std::string("to ") + c.name),
              writable)
        << c.name;
    if (writable) {
      EXPECT_EQ(dir.Read(c.name), std::string("to ") + c.name);
    }
  }
  EXPECT_EQ(dir.Read("regular"), "to regular");  // not "to link"
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

// sablo.ini and the data files are replaced through a temporary file: a
// file the user narrowed stays narrowed, a new one is readable by all.
TEST(ReplaceTest, AReplacedFileKeepsItsModeANewOneGets0644) {
  testing_support::TempFolder dir;
  PosixEnv env;
  dir.Write("narrow.ini", "[s]\r\nk=v\r\n");
  ASSERT_EQ(chmod((dir.path() + "narrow.ini").c_str(), 0600), 0);
  auto mode = [&](const char* name) {
    struct stat st;
    return stat((dir.path() + name).c_str(), &st) == 0 ? st.st_mode & 07777
                                                       : 01;
  };
  EXPECT_TRUE(
      env.WriteProfileText("s", "k", "w", dir.windows_path() + "narrow.ini"));
  EXPECT_TRUE(env.WriteWholeFile(dir.windows_path() + "new", "x"));
  EXPECT_EQ(mode("narrow.ini"), 0600u);
  EXPECT_EQ(mode("new"), 0644u);
  // A link in a file's place is replaced, not followed, and its target's
  // mode is not copied.
  dir.Write("target", "keep");
  ASSERT_EQ(chmod((dir.path() + "target").c_str(), 0600), 0);
  ASSERT_EQ(symlink("target", (dir.path() + "linked").c_str()), 0);
  EXPECT_TRUE(env.WriteWholeFile(dir.windows_path() + "linked", "new"));
  EXPECT_EQ(dir.Read("target"), "keep");
  EXPECT_EQ(mode("linked"), 0644u);
}

// The system's paths are GBK; Linux names files in UTF-8.  The layer
// converts at its boundary, as the Windows ANSI calls do.
TEST(LinuxNameTest, GbkPathsNameUtf8FilesBothWays) {
  testing_support::TempFolder dir;
  PosixEnv env;
  const std::string gbk = "\xB8\xF6\xC8\xCB\xD4\xC6";  // 个人云
  const std::string utf8 = "\xE4\xB8\xAA\xE4\xBA\xBA\xE4\xBA\x91";
  dir.Write(utf8 + "/.keep", "");
  const std::string file = dir.windows_path() + gbk + "\\sablo.ini";
  ASSERT_TRUE(env.WriteProfileText("s", "k", "v", file));
  EXPECT_TRUE(dir.Exists(utf8 + "/sablo.ini"));
  EXPECT_FALSE(dir.Exists(gbk + "/sablo.ini"));
  EXPECT_TRUE(env.FileExists(file));
  EXPECT_EQ(env.GetProfileText("s", "k", "", 8, file), "v");
  EXPECT_EQ(FromLinuxName(dir.path() + utf8 + "/x"),
            dir.windows_path() + gbk + "\\x");
  // What GBK lacks shows as '?' (one per byte), as the ANSI calls show it.
  EXPECT_EQ(FromLinuxName("/a/\xF0\x9F\x98\x80"), "\\a\\????");
  EXPECT_EQ(ToLinuxText("md \"" + gbk + "\""), "md \"" + utf8 + "\"");
}

}  // namespace
}  // namespace platform
