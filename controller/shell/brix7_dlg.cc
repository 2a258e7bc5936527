#include "controller/shell/brix7_dlg.h"

#include <cstring>

#include "controller/config/router_settings.h"
#include "controller/shell/gbk_text.h"
#include "framework/win_thread.h"

Cbrix7Dlg::Cbrix7Dlg(platform::Env* env)
    : CDialog(env, kTemplateId),
      m_portForwardEngine(std::in_place, *env),
      m_hIcon(env->LoadIconResource(platform::kIconApp)),
      m_hIconIdle(0),
      m_hIconRunning(env->LoadIconResource(platform::kIconRunning)),
      m_hIconWarning(env->LoadIconResource(platform::kIconWarning)),
      m_hIconUnregistered(0) {
  // The order of loading is 128, 129, 130, 131, 134, whatever the order of
  // declaration.
  m_hIconIdle = env->LoadIconResource(platform::kIconIdle);
  m_hIconUnregistered = env->LoadIconResource(platform::kIconUnregistered);
}

// The icons are shared resources and stay; the tray icon is the exit
// command's to remove.  A monitor thread still running would go on using
// this object, so it is stopped before the members go.
Cbrix7Dlg::~Cbrix7Dlg() {
  m_portForwardEngine.reset();
  delete m_pMonitorThread;
  m_pMonitorThread = nullptr;
}

Cbrix7Dlg::StateLock Cbrix7Dlg::LockState() const {
  return StateLock(m_stateLock);
}

Cbrix7Dlg::PortsClaim Cbrix7Dlg::ClaimPortsForChange() {
  PortsClaim claim(m_portsOwner);
  auto lock = LockState();
  ++m_portChanges;
  return claim;
}

Cbrix7Dlg::PortsClaim Cbrix7Dlg::ClaimPortsAsChecked() {
  platform::StopPoint();
  PortsClaim claim(m_portsOwner);
  auto lock = LockState();
  if (m_portChanges != m_checkedPortChanges) claim.unlock();
  return claim;
}

Cbrix7Dlg::Addresses Cbrix7Dlg::SnapshotAddresses() const {
  auto lock = LockState();
  return Addresses{m_localIp,   m_externalIp,     m_httpPort,
                   m_httpsPort, m_routerHttpPort, m_routerHttpsPort};
}

void Cbrix7Dlg::SaveRouterSettings() {
  auto lock = LockState();
  WriteRouterSettings(env(), m_appDir, m_localIp, m_externalIp,
                      m_routerHttpPort, m_routerHttpsPort);
}

void Cbrix7Dlg::SaveAddressFile() {
  auto lock = LockState();
  WriteAddressFile(env(), m_appDir, m_externalIp, m_routerHttpPort);
}

void Cbrix7Dlg::FillTip(const std::string& text) {
  std::string tip = CutGbk(text, kTipBytes);
  std::memset(m_nid.szTip, 0, sizeof m_nid.szTip);
  std::memcpy(m_nid.szTip, tip.data(), tip.size());
}

void Cbrix7Dlg::AddTrayIcon(const std::string& text) {
  auto lock = LockState();
  m_nid.hWnd = m_hWnd;
  m_nid.uID = kTrayId;
  m_nid.uFlags = platform::kNifMessage | platform::kNifIcon | platform::kNifTip;
  m_nid.uCallbackMessage = kTrayMessage;
  m_nid.hIcon = m_hIconIdle;
  FillTip(text);
  m_nid.cbSize = 508;
  env().NotifyIcon(platform::kNimAdd, m_nid);
}

void Cbrix7Dlg::RemoveTrayIcon() {
  auto lock = LockState();
  env().NotifyIcon(platform::kNimDelete, m_nid);
}

void Cbrix7Dlg::SetTrayStatus(platform::IconHandle picture,
                              const std::string& text) {
  auto lock = LockState();
  m_nid.hIcon = picture;
  FillTip(text);
  m_nid.cbSize = 508;
  env().NotifyIcon(platform::kNimModify, m_nid);
}

bool Cbrix7Dlg::OnPaint() {
  if (!env().IsIconic(m_hWnd)) return false;
  int width = 0, height = 0, cx = 0, cy = 0;
  env().ClientSize(m_hWnd, &width, &height);
  env().IconMetrics(&cx, &cy);
  env().DrawMinimizedIcon(m_hWnd, m_hIcon, (width - cx + 1) / 2,
                          (height - cy + 1) / 2);
  return true;
}
