// The compiled resources of the controller hold what the portable
// descriptions the other layers show hold: menu 132, dialogs 100 and 133
// with their identifiers and texts, and string 101.  The test program
// links the same resources (and manifest) as Sablo.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "controller/shell/sablo_resources.h"
#include "platform/win32/win32_env.h"
#include "testing/under_wine.h"

namespace {

using platform::ControlKind;

// Reads every identified control of a dialog as it opens, then ends it.
class Reader : public platform::WindowHost {
 public:
  Reader(platform::DialogUi& ui, const platform::DialogLayout& layout)
      : ui_(ui), layout_(layout) {}
  bool OnInitDialog(platform::WindowHandle window) override {
    for (const platform::ControlLayout& control : layout_.controls) {
      if (control.id == platform::kNoControlId) continue;
      texts[control.id] = ui_.ControlText(window, control.id, 256);
    }
    // Controls work: an edit keeps its text, a radio button its check.
    ui_.SetControlText(window, 1001, " 5 ");
    edit = ui_.ControlText(window, 1001, 32);
    ui_.SetButtonCheck(window, 1005, platform::kBstChecked);
    check = ui_.ButtonCheck(window, 1005);
    ui_.EndDialog(window, 42);
    return true;
  }
  bool OnMessage(uint32_t, uintptr_t, intptr_t, intptr_t*) override {
    return false;
  }
  void OnDestroy() override { destroyed = true; }

  std::map<int, std::string> texts;
  std::string edit;
  int check = -1;
  bool destroyed = false;

 private:
  platform::DialogUi& ui_;
  const platform::DialogLayout& layout_;
};

// The text a control holds of its template: all of it (a link's with its
// anchor markup), and nothing in an edit.
std::string Shown(const platform::ControlLayout& control) {
  return control.kind == ControlKind::kEdit ? "" : control.text;
}

TEST(ResourcesTest, TheTrayMenuHoldsItsItems) {
  platform::Win32Env env;
  platform::MenuUi& menus = env.Menus();
  platform::MenuHandle menu = menus.LoadMenuResource(TrayMenuLayout());
  ASSERT_NE(menu, 0u);
  ASSERT_EQ(menus.ItemCount(menu), 1);
  EXPECT_EQ(menus.ItemId(menu, 0), -1);
  EXPECT_EQ(menus.ItemText(menu, 0), TrayMenuLayout().items[0].text);
  platform::MenuHandle popup = menus.SubMenu(menu, 0);
  const auto& items = TrayMenuLayout().items[0].items;
  ASSERT_EQ(menus.ItemCount(popup), static_cast<int>(items.size()));
  for (size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(menus.ItemId(popup, static_cast<int>(i)), items[i].id);
    EXPECT_EQ(menus.ItemText(popup, static_cast<int>(i)), items[i].text);
  }
  // The update handlers' changes by position.
  menus.CheckItem(popup, 4, true);
  menus.SetItemText(popup, 6, kStopServiceLabel);
  EXPECT_TRUE(menus.ItemChecked(popup, 4));
  EXPECT_EQ(menus.ItemText(popup, 6), kStopServiceLabel);
  EXPECT_EQ(menus.ItemId(popup, 6), kCmdToggleService);
  menus.DestroyMenu(menu);
}

TEST(ResourcesTest, TheDialogsHoldTheirControls) {
  // Under Wine a window needs a display (ctest gives it a virtual one).
  if (testing_support::UnderWine() && std::getenv("DISPLAY") == nullptr) {
    GTEST_SKIP() << "no display for Wine's windows";
  }
  platform::Win32Env env;
  for (const platform::DialogLayout* layout :
       {&AboutDialogLayout(), &PortSettingsDialogLayout()}) {
    SCOPED_TRACE(layout->resource_id);
    Reader reader(env.Dialogs(), *layout);
    EXPECT_EQ(env.Dialogs().RunModalDialog(*layout, 0, &reader), 42);
    EXPECT_TRUE(reader.destroyed);
    for (const platform::ControlLayout& control : layout->controls) {
      if (control.id == platform::kNoControlId) continue;
      SCOPED_TRACE(control.id);
      ASSERT_EQ(reader.texts.count(control.id), 1u);
      EXPECT_EQ(reader.texts[control.id], Shown(control));
    }
    if (layout == &PortSettingsDialogLayout()) {
      EXPECT_EQ(reader.edit, " 5 ");
      EXPECT_EQ(reader.check, platform::kBstChecked);
    }
  }
}

TEST(ResourcesTest, TheAboutEntryTextAndTheEnginesMessage) {
  platform::Win32Env env;
  EXPECT_EQ(env.Dialogs().LoadStringResource(kAboutMenuString, ""),
            kAboutMenuText);
  uint32_t first = env.Dialogs().RegisterMessageName("Bramo-test-message");
  EXPECT_GE(first, 0xC000u);
  EXPECT_EQ(env.Dialogs().RegisterMessageName("Bramo-test-message"), first);
}

// The manifest names common controls 6, where the link controls live, for
// the program's own width: then the program's activation context sends
// comctl32.dll to that assembly.  A name the system cannot match (x86 in
// a 64-bit program) leaves the program without it, on version 5.
TEST(ResourcesTest, TheManifestBringsCommonControlsSix) {
  ACTCTX_SECTION_KEYED_DATA found = {};
  found.cbSize = sizeof found;
  EXPECT_TRUE(FindActCtxSectionStringW(
      0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll",
      &found));
}

}  // namespace
