#include <gtest/gtest.h>

#include "framework/dialog.h"
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

}  // namespace
}  // namespace framework
