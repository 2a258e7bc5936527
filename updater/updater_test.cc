#include "updater/updater.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_env.h"
#include "testing/temp_folder.h"

namespace updater {
namespace {

using platform::FakeEnv;

constexpr char kPage[] = "http://www.bramo.example/update/windows/index.html";
constexpr char kSetupUrl[] = "http://dl.bramo.example/a/setup.exe";

class UpdaterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.module_path = dir_.windows_path() + "update.exe";
    env_.first_drive = dir_.windows_path();
    env_.system_runs_verbs = true;
    env_.vendor_installers = {"installer bytes"};
  }
  void Page(const std::string& body) { env_.http_answers[kPage].body = body; }
  void Installed(const std::string& text) { dir_.Write("version", text); }
  std::vector<std::string> Boxes() { return env_.TraceStartingWith("msgboxw"); }
  std::string Folder() { return dir_.windows_path() + "sablo_update"; }

  testing_support::TempFolder dir_;
  FakeEnv env_;
};

TEST(VersionOrder, TextNotNumbersCaseFoldedPrefixSmaller) {
  EXPECT_TRUE(IsNewer("1.0.5", "1.0.4"));
  EXPECT_FALSE(IsNewer("1.0.10", "1.0.9"));
  EXPECT_FALSE(IsNewer("Beta", "beta"));
  EXPECT_FALSE(IsNewer("beta", "BETA"));
  EXPECT_TRUE(IsNewer("1.0.1", "1.0"));
  EXPECT_FALSE(IsNewer("1.0", "1.0.1"));
  EXPECT_TRUE(IsNewer("x", ""));
  // Bytes above 0x7F are unsigned: they order after ASCII.
  EXPECT_TRUE(IsNewer("\xB0", "z"));
  // '_' (0x5F) sorts after the folded letters' upper-case range only
  // because letters fold to lower case (0x61..).
  EXPECT_TRUE(IsNewer("A", "_"));
}

TEST(InstallerName, DropsOnlyTheTrailingLineEndAndRefusesEscapes) {
  EXPECT_EQ(InstallerFileName("http://h/x/setup.exe\r\n"), "setup.exe");
  EXPECT_EQ(InstallerFileName("http://h/x/setup.exe"), "setup.exe");
  EXPECT_EQ(InstallerFileName("setup.exe\r\n"), "setup.exe");
  EXPECT_EQ(InstallerFileName("\r\n"), "");
  EXPECT_EQ(InstallerFileName("http://h/x/\r\n"), "");
  EXPECT_EQ(InstallerFileName("http://h/..\r\n"), "");
  EXPECT_EQ(InstallerFileName("http://h/..\\..\\evil.exe\r\n"), "");
  EXPECT_EQ(InstallerFileName("http://h/C:evil.exe"), "");
}

TEST(PageSplit, FirstHashDividesWithoutHashBothAreThePage) {
  std::string v, a;
  SplitPage("1.0#http://h/s#x\r\n", &v, &a);
  EXPECT_EQ(v, "1.0");
  EXPECT_EQ(a, "http://h/s#x\r\n");
  SplitPage("<html>404</html>", &v, &a);
  EXPECT_EQ(v, "<html>404</html>");
  EXPECT_EQ(a, "<html>404</html>");
}

TEST_F(UpdaterTest, PageFetchUsesTheAgentAndTheFirst1023Bytes) {
  Page("1.0#" + std::string(2000, 'a'));
  std::string v, a;
  EXPECT_EQ(FetchUpdateInfo(&env_, &v, &a), 0);
  EXPECT_EQ(a.size(), 1023u - 4u);
  EXPECT_EQ(env_.TraceStartingWith("http get")[0],
            std::string("http get ") + kPage + " agent=DadoRE/1.0");
}

TEST_F(UpdaterTest, HostCanBePointedElsewhereByTheEnvironment) {
  env_.environment["BRAMO_UPDATE_HOST"] = "127.0.0.1:8080";
  env_.http_answers["http://127.0.0.1:8080/update/windows/index.html"].body =
      "#";
  EXPECT_EQ(RunUpdate(&env_), 2);
}

TEST_F(UpdaterTest, UnusablePagesEndWithTheConsoleMessageAndNoQuestion) {
  struct Case {
    const char* what;
    bool reachable;
    int status;
    std::string body;
    int exit;
  } cases[] = {
      {"unreachable", false, 200, "", 1},
      // An error page is no version page, even one that looks like one.
      {"404", true, 404, "<html>Not Found</html>", 1},
      {"500", true, 500, "9.9#http://h/setup.exe\r\n", 1},
      {"redirect left over", true, 302, "9.9#http://h/setup.exe\r\n", 1},
      {"no version", true, 200, "#http://h/setup.exe\r\n", 2},
      {"no address", true, 200, "1.0#", 2},
  };
  for (const Case& c : cases) {
    env_.ClearTrace();
    env_.http_answers.clear();
    if (c.reachable) {
      Page(c.body);
      env_.http_answers[kPage].status = c.status;
    }
    EXPECT_EQ(RunUpdate(&env_), c.exit) << c.what;
    EXPECT_EQ(env_.TraceStartingWith("print"),
              std::vector<std::string>{"print \"无法从网站获取更新信息!\\n\""})
        << c.what;
    EXPECT_TRUE(Boxes().empty()) << c.what;
  }
}

TEST_F(UpdaterTest, AsksOnlyWhenThePublishedVersionIsNewer) {
  Installed("1.0.9\r\nsecond line\r\n");
  Page("1.0.10#http://h/setup.exe\r\n");
  EXPECT_EQ(RunUpdate(&env_), 0);
  EXPECT_TRUE(Boxes().empty());
  Installed("BETA\n");
  Page("Beta#http://h/setup.exe\r\n");
  EXPECT_EQ(RunUpdate(&env_), 0);
  EXPECT_TRUE(Boxes().empty());
  Installed("1.0.4\r\n");
  Page("1.0.5#http://h/setup.exe\r\n");
  env_.message_box_answers = {platform::id::kCancel};
  EXPECT_EQ(RunUpdate(&env_), 0);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0],
            "msgboxw okcancel \"Bramo更新\" "
            "\"有新版本程序，是否下载并安装最新版本\"");
  // Cancel at the first question: no folder, no download.
  EXPECT_FALSE(dir_.Exists("sablo_update"));
  EXPECT_TRUE(env_.TraceStartingWith("system").empty());
  EXPECT_TRUE(env_.TraceStartingWith("download").empty());
}

TEST_F(UpdaterTest, MissingVersionFileAsksForAnyVersion) {
  Page("0#http://h/setup.exe\r\n");
  env_.message_box_answers = {platform::id::kCancel};
  EXPECT_EQ(RunUpdate(&env_), 0);
  EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(UpdaterTest, FailedDownloadsOpenTheDownloadPageWhateverTheAnswer) {
  struct Case {
    std::string page;
    int status;  // of the installer address
    std::string installer;
  };
  const std::string page = std::string("1.0.5#") + kSetupUrl + "\r\n";
  // The line end alone as address; a page without '#' served as a page; a
  // 404 answer; a program that is not the vendor's.
  for (const Case& c : {Case{"1.0.5#\r\n", 200, "installer bytes"},
                        Case{"<html>Not Found</html>", 200, "installer bytes"},
                        Case{page, 404, "installer bytes"},
                        Case{page, 200, "someone else's program"}}) {
    env_.ClearTrace();
    Page(c.page);
    env_.http_answers[kSetupUrl].status = c.status;
    env_.http_answers[kSetupUrl].body = c.installer;
    env_.message_box_answers = {platform::id::kOk, platform::id::kCancel};
    EXPECT_EQ(RunUpdate(&env_), 0) << c.page;
    ASSERT_EQ(Boxes().size(), 2u) << c.page;
    EXPECT_EQ(Boxes()[1],
              "msgboxw okcancel \"Bramo更新\" "
              "\"下载新版本失败，请登录官网下载！\"");
    EXPECT_EQ(env_.TraceStartingWith("print").back(), "print \"fail\\n\"");
    EXPECT_EQ(env_.TraceStartingWith("open"),
              std::vector<std::string>{
                  "open http://www.bramo.example/download.html"});
    EXPECT_TRUE(env_.TraceStartingWith("exec").empty());
    EXPECT_FALSE(dir_.Exists("sablo_update/setup.exe"));
  }
}

TEST_F(UpdaterTest, FullRunInstallsFromTheFolderWaitsAndEmptiesIt) {
  Installed("1.0.4\n");
  Page(std::string("1.0.5#") + kSetupUrl + "\r\n");
  env_.http_answers[kSetupUrl].body = "installer bytes";
  EXPECT_EQ(RunUpdate(&env_), 0);
  const std::string folder = Folder();
  std::vector<std::string> steps;
  for (const std::string& line : env_.trace()) {
    if (line.rfind("http", 0) == 0 || line.rfind("msgboxw", 0) == 0) continue;
    steps.push_back(line);
  }
  std::vector<std::string> want = {
      "system md \"" + folder + "\"",
      std::string("download ") + kSetupUrl + " -> " + folder + "\\setup.exe",
      // The key beside the installed version.
      "verify " + folder + "\\setup.exe from " + kSetupUrl +
          " key=" + dir_.windows_path() + "vendor_key.pem",
      "print \"ok\\n\"", "exec pskill norvik", "exec pskill pulvo",
      "exec pskill curl", "exec apache\\bin\\pv -f -k httpd.exe -q",
      "sleep 2000", "exec pskill httpd.exe",
      "system \"" + folder + "\\setup.exe\"", "sleep 7200000",
      "system rd /s /q \"" + folder + "\"", "system md \"" + folder + "\""};
  EXPECT_EQ(steps, want);
  // An endless answer cannot fill the disk.
  EXPECT_EQ(env_.last_download_limit, 512u << 20);
  EXPECT_EQ(Boxes().size(), 2u);
  EXPECT_TRUE(dir_.Exists("sablo_update"));
  EXPECT_FALSE(dir_.Exists("sablo_update/setup.exe"));
}

TEST_F(UpdaterTest, CancelAtTheSecondQuestionKeepsTheInstaller) {
  Page(std::string("1.0.5#") + kSetupUrl + "\r\n");
  env_.http_answers[kSetupUrl].body = "installer bytes";
  env_.message_box_answers = {platform::id::kOk, platform::id::kCancel};
  EXPECT_EQ(RunUpdate(&env_), 0);
  EXPECT_EQ(dir_.Read("sablo_update/setup.exe"), "installer bytes");
  EXPECT_TRUE(env_.TraceStartingWith("exec").empty());
}

TEST_F(UpdaterTest, AFolderWithABlankIsOneFolderToMakeAndRemove) {
  // "rd /s /q <drive>my tmp\sablo_update" unquoted would remove "my".
  env_.first_drive = dir_.windows_path() + "my tmp\\";
  dir_.Write("my/keep.txt", "the user's");
  dir_.Write("my tmp/.keep", "");
  Page(std::string("1.0.5#") + kSetupUrl + "\r\n");
  env_.http_answers[kSetupUrl].body = "installer bytes";
  EXPECT_EQ(RunUpdate(&env_), 0);
  EXPECT_EQ(dir_.Read("my/keep.txt"), "the user's");
  EXPECT_TRUE(dir_.Exists("my tmp/sablo_update"));
  EXPECT_FALSE(dir_.Exists("my tmp/sablo_update/setup.exe"));
  EXPECT_FALSE(dir_.Exists("tmp"));
}

TEST_F(UpdaterTest, NoInstallerIsStoredInAFolderThatIsNotPrivate) {
  struct Case {
    const char* what;
    std::string drive;
    bool foreign;
  } cases[] = {
      {"another user's folder", dir_.windows_path(), true},
      {"no drive", "", false},
  };
  for (const Case& c : cases) {
    env_.ClearTrace();
    env_.first_drive = c.drive;
    if (c.foreign) env_.foreign_folders.insert(Folder());
    Page(std::string("1.0.5#") + kSetupUrl + "\r\n");
    env_.http_answers[kSetupUrl].body = "installer bytes";
    EXPECT_EQ(RunUpdate(&env_), 0) << c.what;
    EXPECT_EQ(env_.TraceStartingWith("print").back(), "print \"fail\\n\"")
        << c.what;
    EXPECT_EQ(env_.TraceStartingWith("open").size(), 1u) << c.what;
    EXPECT_TRUE(env_.TraceStartingWith("download").empty()) << c.what;
    EXPECT_TRUE(env_.TraceStartingWith("exec").empty()) << c.what;
  }
}

TEST_F(UpdaterTest, TheVersionFileIsReadInTextMode) {
  struct Case {
    const char* bytes;
    const char* version;
  } cases[] = {{"1.0.4\r\nmore", "1.0.4"},
               {"1.0.4\x1a"
                "9\r\n",
                "1.0.4"},
               {"\x1a"
                "1.0.4",
                ""},
               {"1.0\r4\n", "1.0\r4"}};
  for (const Case& c : cases) {
    Installed(c.bytes);
    EXPECT_EQ(ReadLocalVersion(&env_), c.version) << c.bytes;
  }
}

}  // namespace
}  // namespace updater
