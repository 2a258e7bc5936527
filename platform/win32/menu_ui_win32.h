// Menus on Windows: the program's menu resources, the system menu and
// TrackPopupMenu.  Labels are GBK: read and written through the wide
// calls with code page 936, so they come out the same whatever the
// system's ANSI code page is.
#ifndef BRAMO_PLATFORM_WIN32_MENU_UI_WIN32_H_
#define BRAMO_PLATFORM_WIN32_MENU_UI_WIN32_H_

#include "platform/menu_ui.h"

namespace platform {

class Win32MenuUi : public MenuUi {
 public:
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
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_WIN32_MENU_UI_WIN32_H_
