#include "platform/common/shell_verbs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/temp_folder.h"

namespace platform {
namespace {

using testing_support::TempFolder;

TEST(ShellVerbsTest, DelOfAFolderEmptiesItButKeepsSubfolders) {
  TempFolder dir;
  dir.Write("apache/logs/error.log", "x");
  dir.Write("apache/logs/access.log", "y");
  dir.Write("apache/logs/old/keep.log", "z");
  EXPECT_EQ(RunShellVerb("del /Q " + dir.windows_path() + "apache\\logs"), 0);
  EXPECT_FALSE(dir.Exists("apache/logs/error.log"));
  EXPECT_FALSE(dir.Exists("apache/logs/access.log"));
  EXPECT_TRUE(dir.Exists("apache/logs"));
  EXPECT_TRUE(dir.Exists("apache/logs/old/keep.log"));
}

TEST(ShellVerbsTest, DelThroughALinkToAnotherFolderDeletesNothingThere) {
  TempFolder dir;
  dir.Write("elsewhere/precious.txt", "x");
  dir.Write("pc2/sessionstemp/sess_1", "s");
  dir.Write("pc2/.keep", "");
  std::error_code ec;
  std::filesystem::create_directory_symlink(dir.path() + "elsewhere",
                                            dir.path() + "apache-logs", ec);
  std::filesystem::create_directory_symlink(
      dir.path() + "elsewhere", dir.path() + "pc2/sessionstemp/linked", ec);
  if (ec) GTEST_SKIP() << "no folder links here: " << ec.message();
  RunShellVerb("del /Q " + dir.windows_path() + "apache-logs");
  EXPECT_TRUE(dir.Exists("elsewhere/precious.txt"));
  EXPECT_EQ(RunShellVerb("del /Q " + dir.windows_path() + "pc2\\sessionstemp"),
            0);
  EXPECT_FALSE(dir.Exists("pc2/sessionstemp/sess_1"));
  EXPECT_TRUE(dir.Exists("elsewhere/precious.txt"));
}

TEST(ShellVerbsTest, DelOfAQuotedFileAndOfAMissingOne) {
  TempFolder dir;
  dir.Write("with space/regData_norvik", "body");
  std::string file = dir.windows_path() + "with space\\regData_norvik";
  EXPECT_EQ(RunShellVerb("del \"" + file + "\""), 0);
  EXPECT_FALSE(dir.Exists("with space/regData_norvik"));
  EXPECT_EQ(RunShellVerb("del \"" + file + "\""), 1);
}

TEST(ShellVerbsTest, MdMakesParentsAndRdRemovesTheTree) {
  TempFolder dir;
  std::string folder = dir.windows_path() + "sablo_update\\a\\b";
  EXPECT_EQ(RunShellVerb("md " + folder), 0);
  EXPECT_TRUE(dir.Exists("sablo_update/a/b"));
  EXPECT_EQ(RunShellVerb("MD " + folder), 1);  // exists already
  dir.Write("sablo_update/a/setup.exe", "x");
  std::string top = dir.windows_path() + "sablo_update";
  EXPECT_EQ(RunShellVerb("rd " + top), 1);  // not empty, no /s
  EXPECT_TRUE(dir.Exists("sablo_update/a/setup.exe"));
  EXPECT_EQ(RunShellVerb("rd /s /q " + top), 0);
  EXPECT_FALSE(dir.Exists("sablo_update"));
  EXPECT_EQ(RunShellVerb("rd /s /q " + top), 2);  // gone
}

TEST(ShellVerbsTest, OtherTextsAreNoVerbs) {
  EXPECT_EQ(RunShellVerb("pskill update"), std::nullopt);
  EXPECT_EQ(RunShellVerb(""), std::nullopt);
  EXPECT_EQ(RunShellVerb("delete x"), std::nullopt);
}

TEST(ShellVerbsTest, WordsSplitLikeTheInterpreter) {
  EXPECT_EQ(SplitShellWords("del \"C:\\a b\\\" x"),
            (std::vector<std::string>{"del", "C:\\a b\\", "x"}));
}

}  // namespace
}  // namespace platform
