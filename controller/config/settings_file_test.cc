#include "controller/config/settings_file.h"

#include <gtest/gtest.h>

#include <string>

#include "controller/config/php_ini.h"
#include "controller/config/php_ini_path.h"
#include "platform/fake/fake_env.h"
#include "testing/temp_folder.h"

namespace {

class SettingsFileTest : public ::testing::Test {
 protected:
  std::string Folder() const { return folder_.windows_path(); }
  void Ini(const std::string& bytes) { folder_.Write("sablo.ini", bytes); }
  std::string Key(const std::string& section, const std::string& key) {
    return env_.GetProfileText(section, key, "", 256, SettingsPath(Folder()));
  }
  std::vector<std::string> Boxes() const {
    return env_.TraceStartingWith("msgbox");
  }
  platform::FakeEnv env_;
  testing_support::TempFolder folder_;
};

TEST_F(SettingsFileTest, TheModeFlagAtStartUpAndInTheDialogDiffer) {
  bool manual = false;
  int http = -1, https = -1;
  ReadModeFlag(env_, Folder(), manual);
  EXPECT_TRUE(manual);  // missing
  ReadPortDialogSettings(env_, Folder(), http, https, manual);
  EXPECT_FALSE(manual);
  Ini("[pattern]\r\npattern.type=10\r\n");
  ReadModeFlag(env_, Folder(), manual);
  EXPECT_TRUE(manual);
  ReadPortDialogSettings(env_, Folder(), http, https, manual);
  EXPECT_FALSE(manual);
  Ini("[pattern]\r\npattern.type=0\r\n");
  ReadModeFlag(env_, Folder(), manual);
  EXPECT_FALSE(manual);
}

// The start-up readers and the toggles see the first character only;
// the dialog converts the whole text.
TEST_F(SettingsFileTest, FirstCharacterReadersOfTheModeAndTheFlags) {
  struct Case {
    const char* text;
    bool manual_at_start_up;
    bool manual_in_dialog;
    bool flag;
    const char* toggled;
  } cases[] = {
      {"0x", false, false, false, "1"},
      {"1x", true, true, true, "0"},
      {"01", false, true, false, "1"},
  };
  for (const Case& c : cases) {
    Ini(std::string("[pattern]\r\npattern.type=") + c.text +
        "\r\n[brix7]\r\nbrix7.autorun=" + c.text +
        "\r\nbrix7.startwithwindows=" + c.text + "\r\n");
    bool manual = !c.manual_at_start_up, with_windows = !c.flag,
         auto_run = !c.flag;
    int http = 0, https = 0;
    ReadModeFlag(env_, Folder(), manual);
    EXPECT_EQ(manual, c.manual_at_start_up) << c.text;
    ReadPortDialogSettings(env_, Folder(), http, https, manual);
    EXPECT_EQ(manual, c.manual_in_dialog) << c.text;
    ReadStartupFlags(env_, Folder(), with_windows, auto_run);
    EXPECT_EQ(with_windows, c.flag) << c.text;
    EXPECT_EQ(auto_run, c.flag) << c.text;
    ToggleAutoRun(env_, Folder(), auto_run);
    EXPECT_EQ(Key("brix7", "brix7.autorun"), c.toggled) << c.text;
    EXPECT_EQ(auto_run, std::string(c.toggled) == "1") << c.text;
  }
}

TEST_F(SettingsFileTest, RouterPortsAndTheirErrors) {
  int http = 5, https = 7;
  EXPECT_EQ(ReadRouterPorts(env_, Folder(), http, https), 1);
  EXPECT_EQ(http, 0);
  EXPECT_EQ(https, 7);  // not read
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "msgbox error ok \"\" \"读取配置文件出错，错误码0X7001\""}));
  env_.ClearTrace();
  Ini("[upnp]\r\nupnp.http.port=abc\r\n");
  EXPECT_EQ(ReadRouterPorts(env_, Folder(), http, https), 1);
  EXPECT_EQ(http, 0);
  EXPECT_EQ(https, 0);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "msgbox error ok \"\" \"读取配置文件出错，错误码0X7002\""}));
  env_.ClearTrace();
  Ini("[upnp]\r\nupnp.http.port=123456789012\r\nupnp.https.port=80x\r\n");
  EXPECT_EQ(ReadRouterPorts(env_, Folder(), http, https), 0);
  EXPECT_EQ(http, 123456789);
  EXPECT_EQ(https, 80);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SettingsFileTest, ManualModeWithoutPortsEndsTheProcess) {
  int rh = 0, rhs = 0, h = 80, hs = 443;
  EXPECT_FALSE(TakeManualModePorts(env_, Folder(), rh, rhs, h, hs));
  EXPECT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes().back(),
            "msgbox error ok \"\" \"个人云服务器配置文件错误，请检查！错误码0X9001\"");
  EXPECT_EQ(env_.exit_code(), 1);
  EXPECT_EQ(h, 80);
}

TEST_F(SettingsFileTest, ManualModePortsBecomeTheWebServerPorts) {
  Ini("[upnp]\r\nupnp.http.port=8080\r\nupnp.https.port=8443\r\n");
  int rh = 0, rhs = 0, h = 80, hs = 443;
  EXPECT_TRUE(TakeManualModePorts(env_, Folder(), rh, rhs, h, hs));
  EXPECT_EQ(h, 8080);
  EXPECT_EQ(hs, 8443);
  EXPECT_EQ(Key("apache", "apache.http.port"), "8080");
  EXPECT_EQ(Key("apache", "apache.https.port"), "8443");
  EXPECT_FALSE(env_.exit_code().has_value());
}

TEST_F(SettingsFileTest, TheUrlListIsOrderedDistinctAndEndsAtAGap) {
  std::set<std::string> urls{"old"};
  Ini("[url]\r\nurl.2=http://b/\r\n");
  EXPECT_EQ(LoadUrlList(env_, Folder(), urls), 8);
  EXPECT_TRUE(urls.empty());
  Ini("[url]\r\nurl.1=http://z/\r\nurl.2=http://a/\r\nurl.3=\r\n"
      "url.4=http://c/\r\n");
  EXPECT_EQ(LoadUrlList(env_, Folder(), urls), 0);
  EXPECT_EQ(urls, (std::set<std::string>{"http://a/", "http://z/"}));
  Ini("[url]\r\nurl.1=http://a/\r\nurl.2=http://a/\r\nurl.3=http://a/x\r\n"
      "url.4=" + std::string(300, 'u') + "\r\n");
  EXPECT_EQ(LoadUrlList(env_, Folder(), urls), 0);
  EXPECT_EQ(urls, (std::set<std::string>{"http://a/", "http://a/x",
                                         std::string(255, 'u')}));
}

TEST_F(SettingsFileTest, FlagsAndToggles) {
  bool autoRun = true, withWindows = true;
  ReadStartupFlags(env_, Folder(), withWindows, autoRun);
  EXPECT_FALSE(withWindows);
  EXPECT_FALSE(autoRun);
  Ini("[brix7]\r\nbrix7.autorun=yes\r\nbrix7.startwithwindows=1\r\n");
  ReadStartupFlags(env_, Folder(), withWindows, autoRun);
  EXPECT_TRUE(withWindows);
  EXPECT_FALSE(autoRun);
  ToggleAutoRun(env_, Folder(), autoRun);
  EXPECT_FALSE(autoRun);
  EXPECT_EQ(Key("brix7", "brix7.autorun"), "0");
  ToggleAutoRun(env_, Folder(), autoRun);
  EXPECT_TRUE(autoRun);
  EXPECT_EQ(Key("brix7", "brix7.autorun"), "1");
  // Switching off writes "0" and the autostart value again.
  ToggleStartWithWindows(env_, Folder(), withWindows);
  EXPECT_FALSE(withWindows);
  EXPECT_EQ(Key("brix7", "brix7.startwithwindows"), "0");
  EXPECT_EQ(env_.TraceStartingWith("autostart").size(), 1u);
}

TEST_F(SettingsFileTest, WritersReadBack) {
  WriteWebServerPorts(env_, Folder(), 80, 443);
  WriteModeType(env_, Folder(), 1);
  EXPECT_EQ(Key("apache", "apache.http.port"), "80");
  EXPECT_EQ(Key("apache", "apache.https.port"), "443");
  EXPECT_EQ(Key("pattern", "pattern.type"), "1");
}

TEST_F(SettingsFileTest, PhpIniGetsFourQuotedPaths) {
  folder_.Write("php/php.ini",
                "[PHP]\r\nengine = On\r\n;error_log = php_errors.log\r\n");
  EXPECT_EQ(RewritePhpIni(env_, Folder()), 0);
  std::string ini = folder_.Read("php/php.ini");
  // The paths as this build's PHP reads them: Windows paths on Windows,
  // the Linux paths they stand for on Linux.
  auto at = [this](const std::string& relative) {
    return PhpIniPath(Folder() + relative);
  };
  EXPECT_EQ(ini,
            "[PHP]\r\nengine = On\r\n"
            "error_log=\"" + at("php\\logs\\php_error_log") + "\"\r\n"
            "extension_dir=\"" + at("php\\ext") + "\"\r\n"
            "upload_tmp_dir=\"" + at("php\\tmp") + "\"\r\n"
            ";error_log = php_errors.log\r\n"
            "[Session]\r\nsession.save_path=\"" + at("pc2\\sessionstemp") +
                "\"\r\n");
  EXPECT_EQ(RewritePhpIni(env_, Folder()), 0);
  EXPECT_EQ(folder_.Read("php/php.ini"), ini);
}

// PHP reads its paths as UTF-8: a Chinese folder goes in converted from
// the code page.
TEST_F(SettingsFileTest, PhpIniPathsOfAChineseFolderAreUtf8) {
  // The fake's files are the test's own; where their narrow names do not
  // carry GBK bytes (the Windows build), the real layer's test shows it.
  folder_.Write("\xD4\xC6/probe", "x");
  if (env_.AnsiToUtf8("\xB8\xF6") != "\xE4\xB8\xAA" ||
      !env_.ReadWholeFile(Folder() + "\xD4\xC6\\probe", 8)) {
    GTEST_SKIP() << "no code page 936, or no GBK file names here";
  }
  const std::string gbk = "\xB8\xF6\xC8\xCB\xD4\xC6";  // 个人云
  const std::string utf8 = "\xE4\xB8\xAA\xE4\xBA\xBA\xE4\xBA\x91";
  folder_.Write(gbk + "/php/php.ini", "[PHP]\r\n");
  EXPECT_EQ(RewritePhpIni(env_, Folder() + gbk + "\\"), 0);
  const std::string ini = folder_.Read(gbk + "/php/php.ini");
  EXPECT_NE(ini.find("extension_dir=\"" +
                     PhpIniPath(Folder() + utf8 + "\\php\\ext") + "\"\r\n"),
            std::string::npos)
      << ini;
  EXPECT_EQ(ini.find(gbk), std::string::npos) << ini;
}

}  // namespace
