#include <gtest/gtest.h>

#include "framework/dialog.h"
#include "framework/data_exchange.h"
#include "framework/menu.h"
#include "framework/win_app.h"
#include "platform/fake/fake_env.h"

namespace framework {
namespace {

class RecordingDialog : public CDialog {
 public:
  explicit RecordingDialog(platform::Env* env) : CDialog(env, 7) {}
  int inits = 0;
  bool OnInitDialog() override {
    ++inits;
    return true;
  }
};

class TestApp : public CWinApp {
 public:
  TestApp(platform::Env* env, bool succeed, bool make_window)
      : CWinApp(env), succeed_(succeed), make_window_(make_window) {}
  bool InitInstance() override {
    if (make_window_) {
      auto* dialog = new RecordingDialog(&env());
      m_pMainWnd = dialog;
      return dialog->Create() && succeed_;
    }
    return succeed_;
  }
  int exits = 0;
  int ExitInstance() override {
    ++exits;
    return CWinApp::ExitInstance();
  }

 private:
  bool succeed_;
  bool make_window_;
};

TEST(FrameworkTest, FailedInitEndsWithoutTheMessageLoop) {
  platform::FakeEnv env;
  TestApp app(&env, false, false);
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(app.exits, 1);
  EXPECT_TRUE(env.TraceStartingWith("loop").empty());
}

TEST(FrameworkTest, TheMainWindowIsInitialisedAndTheLoopRuns) {
  platform::FakeEnv env;
  TestApp app(&env, true, true);
  EXPECT_EQ(app.Run(), 0);
  auto* dialog = static_cast<RecordingDialog*>(app.m_pMainWnd);
  EXPECT_EQ(dialog->inits, 1);
  EXPECT_NE(dialog->m_hWnd, 0u);
  EXPECT_EQ(env.trace(),
            (std::vector<std::string>{"dialog create 7", "loop"}));
  EXPECT_EQ(app.exits, 1);
}

TEST(FrameworkTest, DestroyingTheWindowTellsTheDialog) {
  platform::FakeEnv env;
  RecordingDialog dialog(&env);
  ASSERT_TRUE(dialog.Create());
  dialog.DestroyWindow();
  EXPECT_EQ(dialog.m_hWnd, 0u);
  dialog.DestroyWindow();  // a second time does nothing
  EXPECT_EQ(env.TraceStartingWith("dialog destroy").size(), 1u);
}

TEST(FrameworkTest, AWindowThatCannotBeCreatedSkipsTheLoop) {
  platform::FakeEnv env;
  env.dialog_creation_fails = true;
  TestApp app(&env, true, true);
  app.Run();
  EXPECT_TRUE(env.TraceStartingWith("loop").empty());
}

// Commands 10 (handler and update handler) and 11 (handler only); 12 and
// 0xF020 have none.
class MenuOwner : public CDialog {
 public:
  explicit MenuOwner(platform::Env* env) : CDialog(env, 7) {}
  bool HasCommandHandler(int id) override { return id == 10 || id == 11; }
  bool OnUpdateCommandUI(CCmdUI* ui) override {
    if (ui->m_nID != 10) return false;
    ui->SetCheck(1);
    ui->SetText("ten");
    return true;
  }
};

TEST(FrameworkTest, TheUpdateWalkDisablesCommandsWithoutAHandler) {
  platform::FakeEnv env;
  MenuOwner owner(&env);
  platform::MenuLayout layout = {
      5,
      {{10, "a", {}},
       {0, "", {}},
       {11, "b", {}},
       {12, "c", {}},
       {0xF020, "system", {}},
       {0, "sub", {{12, "in", {}}}, true}}};
  CMenu menu;
  ASSERT_TRUE(menu.LoadMenu(env.Menus(), layout));
  platform::MenuHandle handle = menu.m_hMenu;
  UpdateMenuItems(&owner, env.Menus(), handle);
  ASSERT_TRUE(env.Menus().TrackPopupMenu(handle, 0, 0, 0, 0));
  EXPECT_EQ(env.menus.last_popup,
            (std::vector<std::string>{"10 ten [x]", "-", "11 b",
                                      "12 c (disabled)", "61472 system",
                                      "> sub"}));
  menu.DestroyMenu();
  EXPECT_EQ(env.menus.live_menus(), 0);
}

TEST(DataExchangeTest, TheIntegerCheck) {
  struct Case {
    std::string text;
    bool accepted;
    int value;
  } cases[] = {
      {"12", true, 12},
      {"-12", true, -12},
      {" \t12 \t", true, 12},
      {"\n5", true, 5},  // strtol's own white space after the blanks
      {"\n0", false, 0},
      {"+0", false, 0},
      {"-0", false, 0},
      {"", false, 0},
      {"1 2", false, 0},
      {"99999999999", true, 2147483647},  // saturated, no range error
      {"-99999999999", true, -2147483647 - 1},
      // Only 31 characters count: what follows is not seen.
      {std::string(30, ' ') + "7x", true, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    int value = -1;
    EXPECT_EQ(ParseDialogInt(c.text, &value), c.accepted);
    if (c.accepted) {
      EXPECT_EQ(value, c.value);
    }
  }
}

}  // namespace
}  // namespace framework
