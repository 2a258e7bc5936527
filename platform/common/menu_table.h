// Menus kept in memory, for the layers that have no real ones (the Linux
// console and the fake): built from a MenuLayout, changed by position as
// the Win32 calls change them, and shown as the console prints a popup.
#ifndef BRAMO_PLATFORM_COMMON_MENU_TABLE_H_
#define BRAMO_PLATFORM_COMMON_MENU_TABLE_H_

#include <map>
#include <string>
#include <vector>

#include "platform/menu_ui.h"

namespace platform {

class MenuTable {
 public:
  // A menu holding `layout`'s top level; popups become menus of their own.
  MenuHandle Load(const MenuLayout& layout);
  // An empty menu (a window's system menu).
  MenuHandle Create();
  // Destroys `menu` and its popups; false when it is no menu.
  bool Destroy(MenuHandle menu);

  // As MenuUi's calls of the same names; a bad handle or position gives
  // 0, -1, "" or false and changes nothing.
  MenuHandle SubMenu(MenuHandle menu, int position) const;
  int ItemCount(MenuHandle menu) const;
  int ItemId(MenuHandle menu, int position) const;
  std::string ItemText(MenuHandle menu, int position) const;
  bool ItemChecked(MenuHandle menu, int position) const;
  void EnableItem(MenuHandle menu, int position, bool enable);
  void CheckItem(MenuHandle menu, int position, bool check);
  void SetItemText(MenuHandle menu, int position, const std::string& text);
  void Append(MenuHandle menu, uint32_t flags, int id, const std::string& text);

  // The popup as the console shows it, one line per item: "<id> <label>",
  // then " [x]" when checked and " (disabled)" when disabled; a
  // separator is "-", a popup "> <label>".
  std::vector<std::string> Lines(MenuHandle menu) const;

 private:
  struct Item {
    int id = 0;  // 0 separator, -1 popup
    std::string text;
    bool checked = false;
    bool enabled = true;
    MenuHandle popup = 0;
  };
  MenuHandle Build(const std::vector<MenuItemLayout>& items);
  const Item* Find(MenuHandle menu, int position) const;
  Item* Find(MenuHandle menu, int position);

  std::map<MenuHandle, std::vector<Item>> menus_;
  MenuHandle next_ = 0x100;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_COMMON_MENU_TABLE_H_
