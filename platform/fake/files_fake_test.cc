#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "platform/fake/fake_env.h"
#include "testing/concurrent_writes.h"
#include "testing/temp_folder.h"

namespace platform {
namespace {

using testing_support::TempFolder;

std::set<std::string> Entries(const TempFolder& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

TEST(FakeFilesTest, TwoThreadsWritingOneFileLoseNoWrite) {
  TempFolder dir;
  FakeEnv env;
  const int rounds = 300;
  EXPECT_EQ(testing_support::WriteFromTwoThreads(env, dir.windows_path() + "ip",
                                                 rounds),
            0);
  const std::string last = dir.Read("ip");
  EXPECT_TRUE(last == testing_support::WriterText(0, rounds - 1) ||
              last == testing_support::WriterText(1, rounds - 1));
  EXPECT_EQ(Entries(dir), (std::set<std::string>{"ip"}));
}

TEST(FakeFilesTest, AWriteThatDiesHalfWayLeavesTheOldFileWhole) {
  TempFolder dir;
  FakeEnv env;
  std::string path = dir.windows_path() + "httpd.conf";
  ASSERT_TRUE(env.WriteWholeFile(path, "old content\r\n"));
  env.fail_writes_after_bytes = 4;
  EXPECT_FALSE(env.WriteWholeFile(path, "new content that is longer\r\n"));
  EXPECT_EQ(dir.Read("httpd.conf"), "old content\r\n");
  EXPECT_EQ(Entries(dir), (std::set<std::string>{"httpd.conf"}));
  // The failure was for one write only.
  EXPECT_TRUE(env.WriteWholeFile(path, "new\r\n"));
  EXPECT_EQ(dir.Read("httpd.conf"), "new\r\n");
  EXPECT_EQ(
      env.TraceStartingWith("write"),
      (std::vector<std::string>{"write " + path, "write " + path + " (failed)",
                                "write " + path}));
}

TEST(FakeFilesTest, AProfileWriteThatDiesKeepsEveryOldValue) {
  TempFolder dir;
  FakeEnv env;
  std::string ini = dir.windows_path() + "sablo.ini";
  ASSERT_TRUE(env.WriteProfileText("brix7", "upnp.http.port", "12345", ini));
  ASSERT_TRUE(env.WriteProfileText("brix7", "upnp.https.port", "13579", ini));
  env.fail_writes_after_bytes = 10;
  EXPECT_FALSE(env.WriteProfileText("brix7", "upnp.http.port", "1", ini));
  EXPECT_EQ(env.GetProfileText("brix7", "upnp.http.port", "", 32, ini),
            "12345");
  EXPECT_EQ(env.GetProfileText("brix7", "upnp.https.port", "", 32, ini),
            "13579");
}

}  // namespace
}  // namespace platform
