#include "platform/fake/menu_ui_fake.h"

#include "platform/fake/fake_env.h"

namespace platform {

std::vector<std::string> FakeMenuUi::SystemMenuLines() const {
  return table_.Lines(system_menu_);
}

MenuHandle FakeMenuUi::LoadMenuResource(const MenuLayout& layout) {
  env_->Record("menu load " + std::to_string(layout.resource_id));
  if (load_fails) return 0;
  ++live_;
  return table_.Load(layout);
}

void FakeMenuUi::DestroyMenu(MenuHandle menu) {
  if (!table_.Destroy(menu)) return;
  --live_;
  env_->Record("menu destroy");
}

MenuHandle FakeMenuUi::SubMenu(MenuHandle menu, int position) {
  return table_.SubMenu(menu, position);
}
int FakeMenuUi::ItemCount(MenuHandle menu) { return table_.ItemCount(menu); }
int FakeMenuUi::ItemId(MenuHandle menu, int position) {
  return table_.ItemId(menu, position);
}
std::string FakeMenuUi::ItemText(MenuHandle menu, int position) {
  return table_.ItemText(menu, position);
}
bool FakeMenuUi::ItemChecked(MenuHandle menu, int position) {
  return table_.ItemChecked(menu, position);
}
void FakeMenuUi::EnableItem(MenuHandle menu, int position, bool enable) {
  table_.EnableItem(menu, position, enable);
}
void FakeMenuUi::CheckItem(MenuHandle menu, int position, bool check) {
  table_.CheckItem(menu, position, check);
}
void FakeMenuUi::SetItemText(MenuHandle menu, int position,
                             const std::string& text) {
  table_.SetItemText(menu, position, text);
}

MenuHandle FakeMenuUi::SystemMenu(WindowHandle) {
  if (!has_system_menu) return 0;
  if (system_menu_ == 0) system_menu_ = table_.Create();
  return system_menu_;
}

void FakeMenuUi::AppendItem(MenuHandle menu, uint32_t flags, int id,
                            const std::string& text) {
  table_.Append(menu, flags, id, text);
  if (menu != system_menu_) return;
  env_->Record((flags & kMfSeparator)
                   ? std::string("sysmenu append -")
                   : "sysmenu append " + std::to_string(id) + " " + text);
}

void FakeMenuUi::CursorPos(int* x, int* y) {
  *x = cursor_x;
  *y = cursor_y;
}

void FakeMenuUi::SetForegroundWindow(WindowHandle) {
  env_->Record("foreground");
}

bool FakeMenuUi::TrackPopupMenu(MenuHandle menu, uint32_t, int, int,
                                WindowHandle owner) {
  if (table_.ItemCount(menu) < 0) return false;
  intptr_t result = 0;
  env_->SendToWindow(owner, kWmInitMenuPopup, menu, 0, &result);
  last_popup = table_.Lines(menu);
  std::string line = "popup";
  for (size_t i = 0; i < last_popup.size(); ++i) {
    line += (i == 0 ? " " : " | ") + last_popup[i];
  }
  env_->Record(line);
  return true;
}

}  // namespace platform
