// Menus: the popup of the tray icon, the system menu of a window, and the
// item states that command-update handlers set.  Handles are the
// platform's (HMENU on Windows).  Used on the user-interface thread only.
#ifndef BRAMO_PLATFORM_MENU_UI_H_
#define BRAMO_PLATFORM_MENU_UI_H_

#include <cstdint>
#include <string>

#include "platform/resource_layout.h"
#include "platform/win_types.h"

namespace platform {

using MenuHandle = uintptr_t;  // HMENU; 0 is no menu

// AppendMenu flags.
inline constexpr uint32_t kMfString = 0x0000;
inline constexpr uint32_t kMfSeparator = 0x0800;
// TrackPopupMenu flags.
inline constexpr uint32_t kTpmRightButton = 0x0002;

class MenuUi {
 public:
  virtual ~MenuUi() = default;

  // LoadMenuA of the program's menu resource `layout.resource_id` (the other
  // layers build it from `layout`).  0 when there is no such menu.
  virtual MenuHandle LoadMenuResource(const MenuLayout& layout) = 0;
  // Destroys a loaded menu with its popups.
  virtual void DestroyMenu(MenuHandle menu) = 0;

  // The popup at `position`; 0 when that item is no popup.
  virtual MenuHandle SubMenu(MenuHandle menu, int position) = 0;
  // The number of items; -1 when `menu` is not a menu.
  virtual int ItemCount(MenuHandle menu) = 0;
  // The command identifier at `position`: 0 for a separator, -1 for a
  // popup (GetMenuItemID).
  virtual int ItemId(MenuHandle menu, int position) = 0;
  // The label at `position` (empty for a separator).
  virtual std::string ItemText(MenuHandle menu, int position) = 0;
  // Whether the item at `position` has a check mark.
  virtual bool ItemChecked(MenuHandle menu, int position) = 0;

  // The item states by position, as command-update handlers set them.
  virtual void EnableItem(MenuHandle menu, int position, bool enable) = 0;
  virtual void CheckItem(MenuHandle menu, int position, bool check) = 0;
  // A new label; the identifier, check mark and enabled state stay.
  virtual void SetItemText(MenuHandle menu, int position,
                           const std::string& text) = 0;

  // The window's system menu (GetSystemMenu(window, FALSE)); 0 when it
  // has none.
  virtual MenuHandle SystemMenu(WindowHandle window) = 0;
  // AppendMenuA: kMfSeparator, or kMfString with `id` and `text`.
  virtual void AppendItem(MenuHandle menu, uint32_t flags, int id,
                          const std::string& text) = 0;

  // GetCursorPos and SetForegroundWindow, which come before a popup.
  virtual void CursorPos(int* x, int* y) = 0;
  virtual void SetForegroundWindow(WindowHandle window) = 0;

  // TrackPopupMenu(menu, flags, x, y, 0, owner, NULL).  While the popup
  // opens, `owner` receives WM_INITMENUPOPUP (wparam: the popup; lparam:
  // its index, and 1 in the high word for a system menu); the chosen item
  // reaches it later as WM_COMMAND.  The console layer prints the popup
  // and takes the choice as a command line; the fake records it.
  virtual bool TrackPopupMenu(MenuHandle menu, uint32_t flags, int x, int y,
                              WindowHandle owner) = 0;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_MENU_UI_H_
