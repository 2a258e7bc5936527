#include "platform/common/menu_table.h"

namespace platform {

MenuHandle MenuTable::Build(const std::vector<MenuItemLayout>& items) {
  MenuHandle handle = next_++;
  std::vector<Item> built;
  for (const MenuItemLayout& layout : items) {
    Item item;
    item.text = layout.text;
    if (layout.popup) {
      item.id = -1;
      item.popup = Build(layout.items);
    } else {
      item.id = layout.id;
    }
    built.push_back(item);
  }
  menus_[handle] = built;
  return handle;
}

MenuHandle MenuTable::Load(const MenuLayout& layout) { return Build(layout.items); }

MenuHandle MenuTable::Create() { return Build({}); }

bool MenuTable::Destroy(MenuHandle menu) {
  auto it = menus_.find(menu);
  if (it == menus_.end()) return false;
  std::vector<Item> items = it->second;
  menus_.erase(it);
  for (const Item& item : items) {
    if (item.popup != 0) Destroy(item.popup);
  }
  return true;
}

const MenuTable::Item* MenuTable::Find(MenuHandle menu, int position) const {
  auto it = menus_.find(menu);
  if (it == menus_.end() || position < 0 ||
      static_cast<size_t>(position) >= it->second.size()) {
    return nullptr;
  }
  return &it->second[static_cast<size_t>(position)];
}

MenuTable::Item* MenuTable::Find(MenuHandle menu, int position) {
  return const_cast<Item*>(
      static_cast<const MenuTable*>(this)->Find(menu, position));
}

MenuHandle MenuTable::SubMenu(MenuHandle menu, int position) const {
  const Item* item = Find(menu, position);
  return item ? item->popup : 0;
}

int MenuTable::ItemCount(MenuHandle menu) const {
  auto it = menus_.find(menu);
  return it == menus_.end() ? -1 : static_cast<int>(it->second.size());
}

int MenuTable::ItemId(MenuHandle menu, int position) const {
  const Item* item = Find(menu, position);
  return item ? item->id : -1;
}

std::string MenuTable::ItemText(MenuHandle menu, int position) const {
  const Item* item = Find(menu, position);
  return item ? item->text : "";
}

bool MenuTable::ItemChecked(MenuHandle menu, int position) const {
  const Item* item = Find(menu, position);
  return item && item->checked;
}

void MenuTable::EnableItem(MenuHandle menu, int position, bool enable) {
  if (Item* item = Find(menu, position)) item->enabled = enable;
}

void MenuTable::CheckItem(MenuHandle menu, int position, bool check) {
  if (Item* item = Find(menu, position)) item->checked = check;
}

void MenuTable::SetItemText(MenuHandle menu, int position,
                            const std::string& text) {
  if (Item* item = Find(menu, position)) item->text = text;
}

void MenuTable::Append(MenuHandle menu, uint32_t flags, int id,
                       const std::string& text) {
  auto it = menus_.find(menu);
  if (it == menus_.end()) return;
  Item item;
  if ((flags & kMfSeparator) == 0) {
    item.id = id;
    item.text = text;
  }
  it->second.push_back(item);
}

std::vector<std::string> MenuTable::Lines(MenuHandle menu) const {
  std::vector<std::string> lines;
  auto it = menus_.find(menu);
  if (it == menus_.end()) return lines;
  for (const Item& item : it->second) {
    if (item.id == 0) {
      lines.push_back("-");
      continue;
    }
    std::string line = item.id == -1
                           ? "> " + item.text
                           : std::to_string(item.id) + " " + item.text;
    if (item.checked) line += " [x]";
    if (!item.enabled) line += " (disabled)";
    lines.push_back(line);
  }
  return lines;
}

}  // namespace platform
