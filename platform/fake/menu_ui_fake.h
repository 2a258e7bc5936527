// The fake's menus: kept in a MenuTable, every effect a trace line:
//   menu load <resource> | menu destroy
//   sysmenu append - | sysmenu append <id> <text>
//   foreground
//   popup <item> | <item> | ...      (as the console prints them)
#ifndef BRAMO_PLATFORM_FAKE_MENU_UI_FAKE_H_
#define BRAMO_PLATFORM_FAKE_MENU_UI_FAKE_H_

#include <string>
#include <vector>

#include "platform/common/menu_table.h"
#include "platform/menu_ui.h"

namespace platform {

class FakeEnv;

class FakeMenuUi : public MenuUi {
 public:
  explicit FakeMenuUi(FakeEnv* env) : env_(env) {}

  // ---- Script ------------------------------------------------------------
  bool has_system_menu = true;
  bool load_fails = false;
  int cursor_x = 1000, cursor_y = 700;

  // ---- What happened -----------------------------------------------------
  // The last popup shown, one line per item, as the console prints it.
  std::vector<std::string> last_popup;
  // The system menu's items, when it has one.
  std::vector<std::string> SystemMenuLines() const;
  // Menus that exist now (loaded and not destroyed, system menu included).
  int live_menus() const { return live_; }

  // ---- MenuUi ------------------------------------------------------------
  MenuHandle LoadMenuResource(const MenuLayout& layout) override;
  void DestroyMenu(MenuHandle menu) override;
  MenuHandle SubMenu(MenuHandle menu, int position) override;
  int ItemCount(MenuHandle menu) override;
  int ItemId(MenuHandle menu, int position) override;
  std::string ItemText(MenuHandle menu, int position) override;
  bool ItemChecked(MenuHandle menu, int position) override;
  void EnableItem(MenuHandle menu, int position, bool enable) override;
  void CheckItem(MenuHandle menu, int position, bool check) override;
  void SetItemText(MenuHandle menu, int position,
                   const std::string& text) override;
  MenuHandle SystemMenu(WindowHandle window) override;
  void AppendItem(MenuHandle menu, uint32_t flags, int id,
                  const std::string& text) override;
  void CursorPos(int* x, int* y) override;
  void SetForegroundWindow(WindowHandle window) override;
  bool TrackPopupMenu(MenuHandle menu, uint32_t flags, int x, int y,
                      WindowHandle owner) override;

 private:
  FakeEnv* env_;
  MenuTable table_;
  MenuHandle system_menu_ = 0;
  int live_ = 0;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_FAKE_MENU_UI_FAKE_H_
