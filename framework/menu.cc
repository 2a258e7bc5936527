#include "framework/menu.h"

#include <utility>

#include "framework/dialog.h"

namespace framework {

CMenu::CMenu(CMenu&& other) noexcept
    : m_hMenu(std::exchange(other.m_hMenu, 0)),
      ui_(other.ui_),
      owned_(std::exchange(other.owned_, false)) {}

CMenu& CMenu::operator=(CMenu&& other) noexcept {
  if (this != &other) {
    DestroyMenu();
    m_hMenu = std::exchange(other.m_hMenu, 0);
    ui_ = other.ui_;
    owned_ = std::exchange(other.owned_, false);
  }
  return *this;
}

bool CMenu::LoadMenu(platform::MenuUi& ui, const platform::MenuLayout& layout) {
  DestroyMenu();
  ui_ = &ui;
  m_hMenu = ui.LoadMenuResource(layout);
  owned_ = m_hMenu != 0;
  return m_hMenu != 0;
}

bool CMenu::DestroyMenu() {
  if (m_hMenu == 0) return false;
  if (owned_) ui_->DestroyMenu(m_hMenu);
  m_hMenu = 0;
  owned_ = false;
  return true;
}

CMenu CMenu::GetSubMenu(int position) const {
  CMenu sub;
  sub.ui_ = ui_;
  if (m_hMenu != 0) sub.m_hMenu = ui_->SubMenu(m_hMenu, position);
  return sub;
}

int CMenu::GetMenuItemCount() const {
  return m_hMenu == 0 ? -1 : ui_->ItemCount(m_hMenu);
}

int CMenu::GetMenuItemID(int position) const {
  return m_hMenu == 0 ? -1 : ui_->ItemId(m_hMenu, position);
}

bool CMenu::TrackPopupMenu(uint32_t flags, int x, int y,
                           platform::WindowHandle owner) const {
  return m_hMenu != 0 && ui_->TrackPopupMenu(m_hMenu, flags, x, y, owner);
}

void CCmdUI::Enable(bool on) {
  m_ui->EnableItem(m_menu, m_nIndex, on);
  m_bEnableChanged = true;
}

void CCmdUI::SetCheck(int check) {
  m_ui->CheckItem(m_menu, m_nIndex, check != 0);
}

void CCmdUI::SetText(const std::string& text) {
  m_ui->SetItemText(m_menu, m_nIndex, text);
}

void CCmdUI::DoUpdate(CDialog* target, bool disableIfNoHandler) {
  m_bEnableChanged = false;
  target->OnUpdateCommandUI(this);
  if (disableIfNoHandler && !m_bEnableChanged) {
    Enable(target->HasCommandHandler(m_nID));
  }
}

void UpdateMenuItems(CDialog* target, platform::MenuUi& ui,
                     platform::MenuHandle popup) {
  CCmdUI state;
  state.m_menu = popup;
  state.m_ui = &ui;
  state.m_nIndexMax = ui.ItemCount(popup);
  for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax;
       ++state.m_nIndex) {
    state.m_nID = ui.ItemId(popup, state.m_nIndex);
    if (state.m_nID == 0) continue;  // separator
    if (state.m_nID == -1) {
      // A popup item takes the state of its first item's command.
      platform::MenuHandle sub = ui.SubMenu(popup, state.m_nIndex);
      if (sub == 0) continue;
      state.m_nID = ui.ItemId(sub, 0);
      if (state.m_nID == 0 || state.m_nID == -1) continue;
      state.DoUpdate(target, false);
    } else {
      state.DoUpdate(target, state.m_nID < 0xF000);
    }
  }
}

}  // namespace framework
