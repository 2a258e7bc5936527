// Profile strings and files through the real layer of the platform being
// built: our own rules on Linux, the Windows API under Wine.  Values are
// compared as read back, since Wine rewrites whole files.
#include <gtest/gtest.h>

#include <memory>

#include "platform/env.h"
#include "testing/temp_folder.h"
#include "testing/under_wine.h"

namespace platform {
namespace {

using testing_support::TempFolder;

class ProfileEnvTest : public ::testing::Test {
 protected:
  std::string Ini() const { return dir_.windows_path() + "sablo.ini"; }
  std::string Get(const std::string& section, const std::string& key,
                  size_t size = 256) {
    return env_->GetProfileText(section, key, "", size, Ini());
  }
  TempFolder dir_;
  std::unique_ptr<Env> env_{NewPlatformEnv()};
};

TEST_F(ProfileEnvTest, WhatIsWrittenReadsBackForEveryKeyOfTheSystem) {
  const char* keys[] = {"upnp.http.port", "upnp.https.port",
                        "brix7.autorun",  "brix7.startwithwindows",
                        "brix7.manual",   "external.ip",
                        "url1",           "url2"};
  for (const char* key : keys) {
    ASSERT_TRUE(env_->WriteProfileText("brix7", key, "12345", Ini())) << key;
  }
  for (const char* key : keys) EXPECT_EQ(Get("brix7", key), "12345") << key;
  ASSERT_TRUE(env_->WriteProfileText("brix7", "upnp.http.port", "80", Ini()));
  EXPECT_EQ(Get("BRIX7", "UPNP.HTTP.PORT"), "80");
  EXPECT_EQ(Get("brix7", "upnp.https.port"), "12345");
}

TEST_F(ProfileEnvTest, ReadingRulesOfAFileWrittenByHand) {
  dir_.Write("sablo.ini",
             "[s]\r\n  key = \"quoted value\" \r\neq=a=b\r\ndup=1\r\n"
             "dup=2\r\n;c=x\r\ngbk=\xD6\xD0\xCE\xC4\r\n");
  EXPECT_EQ(Get("S", "KEY"), "quoted value");
  EXPECT_EQ(Get("s", "eq"), "a=b");
  EXPECT_EQ(Get("s", "dup"), "1");
  // Windows never takes a ';' line for a key; Wine does.
  if (!testing_support::UnderWine()) {
    EXPECT_EQ(Get("s", ";c"), "");
  }
  EXPECT_EQ(Get("s", "gbk"), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(Get("s", "key", 6), "quote");
  EXPECT_EQ(Get("s", "missing"), "");
  EXPECT_EQ(Get("nosection", "key"), "");
  EXPECT_EQ(env_->GetProfileText("s", "missing", "dflt", 256, Ini()), "dflt");
}

TEST_F(ProfileEnvTest, AMissingFileIsCreatedAndOtherKeysSurviveWrites) {
  EXPECT_EQ(Get("s", "k"), "");
  ASSERT_TRUE(env_->WriteProfileText("s", "a", "1", Ini()));
  ASSERT_TRUE(env_->WriteProfileText("s", "b", "2", Ini()));
  ASSERT_TRUE(env_->WriteProfileText("t", "a", "3", Ini()));
  ASSERT_TRUE(env_->WriteProfileText("s", "a", "4", Ini()));
  EXPECT_EQ(Get("s", "a"), "4");
  EXPECT_EQ(Get("s", "b"), "2");
  EXPECT_EQ(Get("t", "a"), "3");
  // No temporary file is left beside it.
  EXPECT_FALSE(dir_.Exists("sablo.ini.writing"));
}

TEST_F(ProfileEnvTest, AFileInAMissingFolderCannotBeWritten) {
  std::string ini = dir_.windows_path() + "nofolder\\sablo.ini";
  EXPECT_FALSE(env_->WriteProfileText("s", "k", "v", ini));
  EXPECT_FALSE(env_->FileExists(ini));
}

TEST_F(ProfileEnvTest, WholeFilesAreReplacedAndReadBackByteForByte) {
  std::string path = dir_.windows_path() + "rc.txt";
  EXPECT_FALSE(env_->FileExists(path));
  EXPECT_EQ(env_->ReadWholeFile(path, 100), std::nullopt);
  std::string bytes("0\r\n\x1A\xB0\x5C\0end", 9);
  ASSERT_TRUE(env_->WriteWholeFile(path, bytes));
  EXPECT_TRUE(env_->FileExists(path));
  EXPECT_EQ(env_->ReadWholeFile(path, 100), bytes);
  ASSERT_TRUE(env_->WriteWholeFile(path, ""));
  EXPECT_EQ(env_->ReadWholeFile(path, 100), "");
  EXPECT_FALSE(env_->WriteWholeFile(dir_.windows_path() + "no\\rc.txt", "x"));
  // Never more than the reader asked for.
  ASSERT_TRUE(env_->WriteWholeFile(path, std::string(101, 'x')));
  EXPECT_EQ(env_->ReadWholeFile(path, 100), std::nullopt);
  EXPECT_EQ(env_->ReadWholeFile(path, 101), std::string(101, 'x'));
}

TEST_F(ProfileEnvTest, AFileSavedAsUtf16WithItsMarkIsReadAndStaysUtf16) {
  auto utf16 = [](const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) bytes += std::string{c, '\0'};
    return bytes;
  };
  dir_.Write("sablo.ini", utf16("[upnp]\r\nupnp.http.port=8080\r\n"));
  EXPECT_EQ(Get("upnp", "upnp.http.port"), "8080");
  ASSERT_TRUE(env_->WriteProfileText("upnp", "upnp.https.port", "8443", Ini()));
  EXPECT_EQ(Get("upnp", "upnp.http.port"), "8080");
  EXPECT_EQ(Get("upnp", "upnp.https.port"), "8443");
  EXPECT_EQ(dir_.Read("sablo.ini").substr(0, 4), std::string("\xFF\xFE[\0", 4));
}

}  // namespace
}  // namespace platform
