// Our stand-ins for MFC's CMenu and CCmdUI: a menu loaded from a resource,
// and the state object that command-update handlers set a menu item with.
#ifndef BRAMO_FRAMEWORK_MENU_H_
#define BRAMO_FRAMEWORK_MENU_H_

#include <string>

#include "platform/menu_ui.h"

namespace framework {

class CDialog;

// A menu handle and whether this object destroys it.  Movable, not
// copyable.
class CMenu {
 public:
  CMenu() = default;
  ~CMenu() { DestroyMenu(); }
  CMenu(CMenu&& other) noexcept;
  CMenu& operator=(CMenu&& other) noexcept;
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  // Loads the menu resource; any menu held before is destroyed first.
  // False, holding none, when it cannot be loaded.
  bool LoadMenu(platform::MenuUi& ui, const platform::MenuLayout& layout);
  // Destroys the menu held (if this object owns it).  False when there
  // was none.
  bool DestroyMenu();

  // The popup at `position`, not owned (it goes with this menu); empty
  // when there is none.
  CMenu GetSubMenu(int position) const;
  int GetMenuItemCount() const;
  int GetMenuItemID(int position) const;
  bool TrackPopupMenu(uint32_t flags, int x, int y,
                      platform::WindowHandle owner) const;

  platform::MenuHandle m_hMenu = 0;
  platform::MenuUi* ui() const { return ui_; }

 private:
  platform::MenuUi* ui_ = nullptr;
  bool owned_ = false;
};

// The item that a command-update handler sets: identifier, position in
// its menu, and the menu.
class CCmdUI {
 public:
  int m_nID = 0;
  int m_nIndex = 0;
  int m_nIndexMax = 0;
  platform::MenuHandle m_menu = 0;
  platform::MenuUi* m_ui = nullptr;

  void Enable(bool on = true);
  void SetCheck(int check = 1);
  void SetText(const std::string& text);

  // Runs `target`'s update handler for m_nID.  When no handler set the
  // enabled state and `disableIfNoHandler` holds, the item is enabled
  // exactly when `target` has a command handler for it.
  void DoUpdate(CDialog* target, bool disableIfNoHandler);

 private:
  bool m_bEnableChanged = false;
};

// The update walk over a popup as it opens: separators skipped; for a
// popup item, the update of its first item's identifier (items without a
// handler left enabled); for any other item its own update, items below
// 0xF000 without a command handler disabled.
void UpdateMenuItems(CDialog* target, platform::MenuUi& ui,
                     platform::MenuHandle popup);

}  // namespace framework

#endif  // BRAMO_FRAMEWORK_MENU_H_
