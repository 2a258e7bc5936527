#include "platform/posix/menu_ui_posix.h"

#include "platform/posix/posix_env.h"

namespace platform {

MenuHandle PosixMenuUi::LoadMenuResource(const MenuLayout& layout) {
  return table_.Load(layout);
}
void PosixMenuUi::DestroyMenu(MenuHandle menu) { table_.Destroy(menu); }
MenuHandle PosixMenuUi::SubMenu(MenuHandle menu, int position) {
  return table_.SubMenu(menu, position);
}
int PosixMenuUi::ItemCount(MenuHandle menu) { return table_.ItemCount(menu); }
int PosixMenuUi::ItemId(MenuHandle menu, int position) {
  return table_.ItemId(menu, position);
}
std::string PosixMenuUi::ItemText(MenuHandle menu, int position) {
  return table_.ItemText(menu, position);
}
bool PosixMenuUi::ItemChecked(MenuHandle menu, int position) {
  return table_.ItemChecked(menu, position);
}
void PosixMenuUi::EnableItem(MenuHandle menu, int position, bool enable) {
  table_.EnableItem(menu, position, enable);
}
void PosixMenuUi::CheckItem(MenuHandle menu, int position, bool check) {
  table_.CheckItem(menu, position, check);
}
void PosixMenuUi::SetItemText(MenuHandle menu, int position,
                              const std::string& text) {
  table_.SetItemText(menu, position, text);
}
MenuHandle PosixMenuUi::SystemMenu(WindowHandle) { return 0; }
void PosixMenuUi::AppendItem(MenuHandle menu, uint32_t flags, int id,
                             const std::string& text) {
  table_.Append(menu, flags, id, text);
}
void PosixMenuUi::CursorPos(int* x, int* y) {
  *x = 0;
  *y = 0;
}
void PosixMenuUi::SetForegroundWindow(WindowHandle) {}

bool PosixMenuUi::TrackPopupMenu(MenuHandle menu, uint32_t, int, int,
                                 WindowHandle owner) {
  if (table_.ItemCount(menu) < 0) return false;
  intptr_t result = 0;
  env_->SendToWindow(owner, kWmInitMenuPopup, menu, 0, &result);
  env_->ConsoleLines(table_.Lines(menu));
  return true;
}

}  // namespace platform
