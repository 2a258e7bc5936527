#include "platform/win32/menu_ui_win32.h"

#include <windows.h>

#include "platform/win32/gbk_wide.h"

namespace platform {
namespace {

HMENU Hmenu(MenuHandle menu) { return reinterpret_cast<HMENU>(menu); }
MenuHandle Handle(HMENU menu) { return reinterpret_cast<MenuHandle>(menu); }
UINT Position(int position) { return static_cast<UINT>(position); }

}  // namespace

MenuHandle Win32MenuUi::LoadMenuResource(const MenuLayout& layout) {
  return Handle(
      LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(layout.resource_id)));
}

void Win32MenuUi::DestroyMenu(MenuHandle menu) { ::DestroyMenu(Hmenu(menu)); }

MenuHandle Win32MenuUi::SubMenu(MenuHandle menu, int position) {
  return Handle(GetSubMenu(Hmenu(menu), position));
}

int Win32MenuUi::ItemCount(MenuHandle menu) {
  return GetMenuItemCount(Hmenu(menu));
}

int Win32MenuUi::ItemId(MenuHandle menu, int position) {
  return static_cast<int>(GetMenuItemID(Hmenu(menu), position));
}

std::string Win32MenuUi::ItemText(MenuHandle menu, int position) {
  wchar_t text[256] = {};
  int n =
      GetMenuStringW(Hmenu(menu), Position(position), text, 256, MF_BYPOSITION);
  return WideToGbk(std::wstring(text, n > 0 ? static_cast<size_t>(n) : 0));
}

bool Win32MenuUi::ItemChecked(MenuHandle menu, int position) {
  UINT state = GetMenuState(Hmenu(menu), Position(position), MF_BYPOSITION);
  return state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
}

void Win32MenuUi::EnableItem(MenuHandle menu, int position, bool enable) {
  EnableMenuItem(Hmenu(menu), Position(position),
                 MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
}

void Win32MenuUi::CheckItem(MenuHandle menu, int position, bool check) {
  CheckMenuItem(Hmenu(menu), Position(position),
                MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
}

void Win32MenuUi::SetItemText(MenuHandle menu, int position,
                              const std::string& text) {
  // As the framework's SetText does: the state flags are kept.
  UINT state = GetMenuState(Hmenu(menu), Position(position), MF_BYPOSITION);
  if (state == static_cast<UINT>(-1)) return;
  state &= ~(MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR | MF_POPUP | 0xFF00);
  UINT id = GetMenuItemID(Hmenu(menu), position);
  ModifyMenuW(Hmenu(menu), Position(position),
              MF_BYPOSITION | MF_STRING | state, id, GbkToWide(text).c_str());
}

MenuHandle Win32MenuUi::SystemMenu(WindowHandle window) {
  return Handle(GetSystemMenu(reinterpret_cast<HWND>(window), FALSE));
}

void Win32MenuUi::AppendItem(MenuHandle menu, uint32_t flags, int id,
                             const std::string& text) {
  if (flags & kMfSeparator) {
    AppendMenuW(Hmenu(menu), MF_SEPARATOR, 0, nullptr);
  } else {
    AppendMenuW(Hmenu(menu), flags, static_cast<UINT_PTR>(id),
                GbkToWide(text).c_str());
  }
}

void Win32MenuUi::CursorPos(int* x, int* y) {
  POINT point = {};
  GetCursorPos(&point);
  *x = point.x;
  *y = point.y;
}

void Win32MenuUi::SetForegroundWindow(WindowHandle window) {
  ::SetForegroundWindow(reinterpret_cast<HWND>(window));
}

bool Win32MenuUi::TrackPopupMenu(MenuHandle menu, uint32_t flags, int x, int y,
                                 WindowHandle owner) {
  return ::TrackPopupMenu(Hmenu(menu), flags, x, y, 0,
                          reinterpret_cast<HWND>(owner), nullptr) != FALSE;
}

}  // namespace platform
