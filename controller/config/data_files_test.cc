#include "controller/config/data_files.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fake/fake_env.h"
#include "testing/temp_folder.h"

namespace {

class DataFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_.Write("website/pc2/database/.keep", ""); }
  std::string Folder() const { return folder_.windows_path(); }
  std::string Database(const std::string& name) const {
    return folder_.Read("website/pc2/database/" + name);
  }
  int User(const std::string& content, std::string* name) {
    folder_.Write("website/pc2/database/current_user", content);
    *name = "stale";
    return ReadCurrentUser(env_, Folder(), *name);
  }
  platform::FakeEnv env_;
  testing_support::TempFolder folder_;
};

TEST_F(DataFilesTest, PortAndReachabilityFilesHoldExactBytes) {
  EXPECT_EQ(WriteLocalPortFile(env_, Folder(), 8080, 8443), 0);
  EXPECT_EQ(Database("local_port"), "8080:8443");
  EXPECT_EQ(WriteReachabilityFile(env_, Folder(), 0), 0);
  EXPECT_EQ(Database("rc.txt"), "0");
  WriteReachabilityFile(env_, Folder(), 1);
  EXPECT_EQ(Database("rc.txt"), "1");
  WriteHttpsPortFile(env_, Folder(), 12443);
  EXPECT_EQ(Database("https_port"), "12443");
}

TEST_F(DataFilesTest, TheAddressFileEndsInCrLf) {
  EXPECT_EQ(WriteAddressFile(env_, Folder(), "", 12001), 0);
  EXPECT_EQ(folder_.Read("ip"), ":12001\r\n");
  WriteAddressFile(env_, Folder(), "203.0.113.9", 80);
  EXPECT_EQ(folder_.Read("ip"), "203.0.113.9:80\r\n");
}

TEST_F(DataFilesTest, PortFilesCarryTheWholeNumberAsLocalPortDoes) {
  WriteRouterSettings(env_, Folder(), "192.168.1.2", "203.0.113.9", 1234567890,
                      -2147483647);
  EXPECT_EQ(Database("https_port"), "-2147483647");
  WriteAddressFile(env_, Folder(), "203.0.113.9", 1234567890);
  EXPECT_EQ(folder_.Read("ip"), "203.0.113.9:1234567890\r\n");
  WriteLocalPortFile(env_, Folder(), 1234567890, -2147483647);
  EXPECT_EQ(Database("local_port"), "1234567890:-2147483647");
}

TEST_F(DataFilesTest, AFileThatCannotBeWrittenIsSkippedQuietly) {
  testing_support::TempFolder bare;  // no website folder
  EXPECT_EQ(WriteLocalPortFile(env_, bare.windows_path(), 1, 2), 0);
  EXPECT_FALSE(bare.Exists("website"));
  EXPECT_TRUE(env_.TraceStartingWith("msgbox").empty());
}

TEST_F(DataFilesTest, AKilledWriteLeavesTheOldContent) {
  WriteLocalPortFile(env_, Folder(), 8080, 8443);
  env_.fail_writes_after_bytes = 3;
  WriteLocalPortFile(env_, Folder(), 12001, 12443);
  EXPECT_EQ(Database("local_port"), "8080:8443");
}

TEST_F(DataFilesTest, TheUserIsTheFirstToken) {
  std::string name;
  EXPECT_EQ(User("alice more words\r\n", &name), 0);
  EXPECT_EQ(name, "alice");
  EXPECT_EQ(User("\r\n\r\n  \t bob\r\n", &name), 0);
  EXPECT_EQ(name, "bob");
  EXPECT_EQ(User("用户甲 x", &name), 0);
  EXPECT_EQ(name, "用户甲");
  // Quotes mean nothing.
  EXPECT_EQ(User("\"a b\"", &name), 0);
  EXPECT_EQ(name, "\"a");
}

TEST_F(DataFilesTest, NoTokenOrNoFileIsNoUser) {
  std::string name;
  EXPECT_EQ(User("", &name), 1);
  EXPECT_EQ(name, "");
  EXPECT_EQ(User(" \t\r\n ", &name), 1);
  EXPECT_EQ(name, "");
  // Text mode: Ctrl-Z ends the file.
  EXPECT_EQ(User("\x1A"
                 "carol",
                 &name),
            1);
  testing_support::TempFolder bare;
  name = "stale";
  EXPECT_EQ(ReadCurrentUser(env_, bare.windows_path(), name), 1);
  EXPECT_EQ(name, "");
}

TEST_F(DataFilesTest, ANameLongerThan127CharactersIsNoUser) {
  std::string name;
  EXPECT_EQ(User(std::string(127, 'n') + " x", &name), 0);
  EXPECT_EQ(name, std::string(127, 'n'));
  EXPECT_EQ(User(std::string(128, 'n'), &name), 1);
  EXPECT_EQ(name, "");
}

TEST_F(DataFilesTest, TheNameEndsAtAZeroByteOfItsToken) {
  std::string name;
  EXPECT_EQ(User(std::string("ali\0ce bob", 10), &name), 0);
  EXPECT_EQ(name, "ali");
  EXPECT_EQ(User(std::string("\0x bob", 6), &name), 1);
  EXPECT_EQ(name, "");
}

}  // namespace
