// The Linux console's menus: kept in a MenuTable; a popup is printed, one
// line per item, and its choice comes later as a command line
// (console_loop.h).  The console shows no window, so there is no system
// menu.
#ifndef BRAMO_PLATFORM_POSIX_MENU_UI_POSIX_H_
#define BRAMO_PLATFORM_POSIX_MENU_UI_POSIX_H_

#include "platform/common/menu_table.h"
#include "platform/menu_ui.h"

namespace platform {

class PosixEnv;

class PosixMenuUi : public MenuUi {
 public:
  explicit PosixMenuUi(PosixEnv* env) : env_(env) {}

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
  PosixEnv* env_;
  MenuTable table_;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_POSIX_MENU_UI_POSIX_H_
