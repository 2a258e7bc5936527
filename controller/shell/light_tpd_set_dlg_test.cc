#include "controller/shell/light_tpd_set_dlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_env.h"
#include "testing/temp_folder.h"

namespace {

using platform::FakeEnv;
using testing_support::TempFolder;
using Lines = std::vector<std::string>;

const std::string kIntegerBox = "msgbox warning ok \"\" \"请输入一个整数。\"";

class PortDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { env.module_path = dir.windows_path() + "Sablo.exe"; }
  // Runs the dialog on `input` over a settings file holding `ini`.
  int Run(const std::string& ini, std::vector<std::string> input) {
    dir.Write("sablo.ini", ini);
    env.dialogs.input.assign(input.begin(), input.end());
    env.ClearTrace();
    return dialog.DoModal();
  }
  // The form as it opened.
  Lines Opened() const { return env.dialogs.forms.back().front(); }
  std::string Line(int index) const { return Opened()[index]; }

  TempFolder dir;
  FakeEnv env;
  CLightTPDSetDlg dialog{&env};
};

const char kManual[] =
    "[upnp]\r\nupnp.http.port=10080\r\nupnp.https.port=10443\r\n"
    "[pattern]\r\npattern.type=1\r\n";

TEST_F(PortDialogTest, OpensWithTheSettingsFileAndTheTemplatesTexts) {
  Run(kManual, {});
  EXPECT_EQ(Opened(),
            (Lines{"Bramo设置", "- group Bramo端口设置（建议：10001～65000）",
                   "1004 radio 自动模式 [ ]", "1005 radio 手动模式 [x]",
                   "1003 link 请您在路由器上<a>配置固定IP地址和端口映射</a>",
                   "- static HTTP端口：", "1001 edit \"10080\"",
                   "- static HTTPS端口：", "1002 edit \"10443\"",
                   "1 button 确定", "2 button 取消"}));
}

TEST_F(PortDialogTest, ManualModeShowsOnlyForExactlyOne) {
  struct Case {
    const char* pattern;
    bool manual;
  } cases[] = {{"pattern.type=1", true},  {"pattern.type= 1 ", true},
               {"pattern.type=0", false}, {"pattern.type=2", false},
               {"pattern.type=", false},  {"", false},
               {"pattern.type=11", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    Run(std::string("[pattern]\r\n") + c.pattern + "\r\n", {});
    EXPECT_EQ(Line(2),
              std::string("1004 radio 自动模式 ") + (c.manual ? "[ ]" : "[x]"));
    EXPECT_EQ(Line(3),
              std::string("1005 radio 手动模式 ") + (c.manual ? "[x]" : "[ ]"));
  }
  // Missing keys show 0.
  EXPECT_EQ(Line(6), "1001 edit \"0\"");
}

TEST_F(PortDialogTest, OkUntouchedReportsNoChange) {
  EXPECT_EQ(Run(kManual, {"ok"}), platform::id::kOk);
  EXPECT_FALSE(dialog.m_portsChanged);
  EXPECT_FALSE(dialog.m_modeChanged);
  EXPECT_EQ(dialog.m_mode, 1);
}

// Each edit must hold an integer, and a port TCP has.  A refused value
// shows its box, puts the focus in that edit and keeps the dialog open
// (until the input runs out).
TEST_F(PortDialogTest, EachEditTakesOnlyAPortFrom1To65535) {
  enum Outcome { kAccepted, kNoInteger, kOutOfRange };
  struct Case {
    const char* text;
    Outcome outcome;
    int value;
  } cases[] = {{"+0", kNoInteger, 0},       {"-0", kNoInteger, 0},
               {"", kNoInteger, 0},         {"5x", kNoInteger, 0},
               {"  ", kNoInteger, 0},       {"0x10", kNoInteger, 0},
               {" 5 ", kAccepted, 5},       {"+8", kAccepted, 8},
               {"1", kAccepted, 1},         {"65535", kAccepted, 65535},
               {"0", kOutOfRange, 0},       {"00", kOutOfRange, 0},
               {"\t-7\t", kOutOfRange, 0}, {"65536", kOutOfRange, 0},
               {"99999999999", kOutOfRange, 0}};
  for (int edit : {1001, 1002}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(edit) + " \"" + c.text + "\"");
      // The other edit holds a valid port that differs from any case.
      const std::string other = edit == 1001 ? "1002=443" : "1001=80";
      int result = Run(kManual, {other, std::to_string(edit) + "=" + c.text,
                                 "ok"});
      if (c.outcome == kAccepted) {
        EXPECT_EQ(result, platform::id::kOk);
        EXPECT_EQ(edit == 1001 ? dialog.m_routerHttpPort
                               : dialog.m_routerHttpsPort,
                  c.value);
        EXPECT_TRUE(env.TraceStartingWith("msgbox").empty());
        continue;
      }
      EXPECT_EQ(env.TraceStartingWith("msgbox"),
                (Lines{c.outcome == kNoInteger
                           ? kIntegerBox
                           : "msgbox warning ok \"\" \"请输入一个介于 1 和 "
                             "65535 之间的整数。\""}));
      EXPECT_EQ(env.TraceStartingWith("dialog focus"),
                (Lines{"dialog focus " + std::to_string(edit)}));
      EXPECT_EQ(result, platform::id::kCancel);
    }
  }
}

TEST_F(PortDialogTest, EqualPortsKeepTheDialogOpenWithTheMessage) {
  EXPECT_EQ(Run(kManual, {"1002=10080", "ok", "ok", "1002=10443", "ok"}),
            platform::id::kOk);
  EXPECT_EQ(env.TraceStartingWith("msgbox").size(), 2u);
  EXPECT_EQ(
      env.TraceStartingWith("msgbox").front(),
      "msgbox error ok \"\" \"HTTP 和 HTTPS 的端口不能相通，请重设！\\n\\n"
      "建议通过自动重启Bramo自动分配新的端口.\\n建议手动设置端口范围为"
      "10001~65000.\"");
  // Back to the values loaded: nothing changed.
  EXPECT_FALSE(dialog.m_portsChanged);
  EXPECT_FALSE(dialog.m_modeChanged);
}

TEST_F(PortDialogTest, AModeChangeBeforeARefusedOkIsStillReported) {
  // Switched to automatic, refused for equal ports, then set right.
  EXPECT_EQ(Run(kManual, {"1004", "1001=10443", "ok", "1001=10080", "ok"}),
            platform::id::kOk);
  EXPECT_TRUE(dialog.m_modeChanged);
  EXPECT_EQ(dialog.m_mode, 0);
  EXPECT_FALSE(dialog.m_portsChanged);
}

TEST_F(PortDialogTest, TheRouterHelpLinkOpensItsPageAndStaysOpen) {
  EXPECT_EQ(Run(kManual, {"1003", "cancel"}), platform::id::kCancel);
  EXPECT_EQ(env.TraceStartingWith("open "),
            (Lines{"open http://www.bramo.example/wiki/index.php?"
                   "doc-view-79.html"}));
}

}  // namespace
