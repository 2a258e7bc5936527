#include "controller/shell/brix7_dlg.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "controller/shell/gbk_text.h"
#include "platform/fake/fake_env.h"

namespace {

using platform::FakeEnv;

class TrayTest : public ::testing::Test {
 protected:
  void SetUp() override { dlg_.AddTrayIcon("Bramo正在初始化..."); }
  std::string Tip() const { return env_.tray_icons().at(128); }
  FakeEnv env_;
  Cbrix7Dlg dlg_{&env_};
};

TEST_F(TrayTest, TheRecordHasItsFixedFields) {
  EXPECT_EQ(dlg_.m_nid.cbSize, 508u);
  EXPECT_EQ(dlg_.m_nid.uID, 128u);
  EXPECT_EQ(dlg_.m_nid.uFlags, 7u);
  EXPECT_EQ(dlg_.m_nid.uCallbackMessage, 0x405u);
  EXPECT_EQ(dlg_.m_nid.hIcon, dlg_.m_hIconIdle);
  EXPECT_EQ(Tip(), "Bramo正在初始化...");
}

TEST_F(TrayTest, LongAsciiTextIsCutTo127Bytes) {
  std::string text(200, 'a');
  dlg_.SetTrayStatus(dlg_.m_hIconRunning, text);
  EXPECT_EQ(Tip(), std::string(127, 'a'));
  EXPECT_EQ(env_.trace().back(),
            "tray modify running \"" + std::string(127, 'a') + "\"");
}

TEST_F(TrayTest, ADoubleByteCharacterAcrossTheLimitIsLeftOutWhole) {
  // 126 ASCII bytes, then a two-byte character that would need bytes 127
  // and 128.
  std::string text = std::string(126, 'a') + "中" + std::string(72, 'b');
  ASSERT_EQ(text.size(), 200u);
  dlg_.SetTrayStatus(dlg_.m_hIconWarning, text);
  EXPECT_EQ(Tip(), std::string(126, 'a'));
  // One byte earlier the character fits whole.
  text = std::string(125, 'a') + "中" + std::string(73, 'b');
  dlg_.SetTrayStatus(dlg_.m_hIconWarning, text);
  EXPECT_EQ(Tip(), std::string(125, 'a') + "中");
}

TEST_F(TrayTest, LineEndsAreKept) {
  dlg_.SetTrayStatus(dlg_.m_hIconIdle, "第一行\n第二行");
  EXPECT_EQ(Tip(), "第一行\n第二行");
  EXPECT_EQ(env_.trace().back(), "tray modify idle \"第一行\\n第二行\"");
}

TEST_F(TrayTest, ManyChangesLeaveExactlyOneIcon) {
  for (int i = 0; i < 500; ++i) {
    dlg_.SetTrayStatus(i % 2 ? dlg_.m_hIconRunning : dlg_.m_hIconUnregistered,
                       "status " + std::to_string(i));
  }
  EXPECT_EQ(env_.tray_icons().size(), 1u);
  EXPECT_EQ(env_.TraceStartingWith("tray add").size(), 1u);
  EXPECT_TRUE(env_.TraceStartingWith("tray delete").empty());
  EXPECT_EQ(Tip(), "status 499");
}

TEST_F(TrayTest, TwoThreadsChangingTheTrayNeverTearTheRecord) {
  auto writer = [this](char c) {
    for (int i = 0; i < 200; ++i) {
      dlg_.SetTrayStatus(dlg_.m_hIconRunning, std::string(100, c));
    }
  };
  std::thread a(writer, 'a');
  std::thread b(writer, 'b');
  a.join();
  b.join();
  std::string tip = Tip();
  EXPECT_TRUE(tip == std::string(100, 'a') || tip == std::string(100, 'b'));
}

TEST_F(TrayTest, MinimisedPaintDrawsTheIconCentred) {
  intptr_t result = 0;
  EXPECT_FALSE(dlg_.OnMessage(platform::kWmPaint, 0, 0, &result));
  env_.iconic = true;
  env_.client_width = 101;
  env_.client_height = 60;
  EXPECT_TRUE(dlg_.OnMessage(platform::kWmPaint, 0, 0, &result));
  EXPECT_EQ(env_.trace().back(), "paint icon app 35,14");
  ASSERT_TRUE(dlg_.OnMessage(platform::kWmQueryDragIcon, 0, 0, &result));
  EXPECT_EQ(static_cast<platform::IconHandle>(result), dlg_.m_hIcon);
}

TEST(IconTest, IconsAreLoadedInResourceOrder) {
  FakeEnv env;
  Cbrix7Dlg dlg(&env);
  EXPECT_EQ(dlg.m_hIcon, static_cast<platform::IconHandle>(128));
  EXPECT_EQ(dlg.m_hIconRunning, static_cast<platform::IconHandle>(129));
  EXPECT_EQ(dlg.m_hIconWarning, static_cast<platform::IconHandle>(130));
  EXPECT_EQ(dlg.m_hIconIdle, static_cast<platform::IconHandle>(131));
  EXPECT_EQ(dlg.m_hIconUnregistered, static_cast<platform::IconHandle>(134));
  EXPECT_EQ(dlg.m_httpPort, 80);
  EXPECT_EQ(dlg.m_httpsPort, 443);
  EXPECT_TRUE(dlg.m_urls.empty());
}

TEST(CutGbkTest, EdgeCases) {
  EXPECT_EQ(CutGbk("", 127), "");
  EXPECT_EQ(CutGbk("abc", 3), "abc");
  EXPECT_EQ(CutGbk("中文", 3), "中");
  EXPECT_EQ(CutGbk("中文", 4), "中文");
  // A trail byte in the lead range is found by walking from the start:
  // "亍" is 0xD8 0xA1; after it 'a' fits in byte 3.
  EXPECT_EQ(CutGbk("亍a", 3), "亍a");
  // A lone lead byte at the very end is one byte.
  EXPECT_EQ(CutGbk(std::string("ab\xB0", 3), 3), std::string("ab\xB0", 3));
}

}  // namespace
