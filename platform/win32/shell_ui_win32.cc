#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>

#include "platform/thread_stop.h"
#include "platform/win32/win32_env.h"

namespace platform {

// The tray record is the full structure of the shell of Vista and later:
// 508 bytes in a 32-bit program, 528 in a 64-bit one.
constexpr uint32_t kFullRecord32 = 508;
static_assert(sizeof(NOTIFYICONDATAA) ==
                  (sizeof(void*) == 4 ? kFullRecord32 : 528),
              "NOTIFYICONDATAA must be the full structure of its width");
static_assert(sizeof(NotifyIconData::szTip) == sizeof(NOTIFYICONDATAA::szTip),
              "the tooltip buffers must match");

bool Win32Env::InitCommonControls(uint32_t size, uint32_t classes) {
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = size;
  controls.dwICC = classes;
  return InitCommonControlsEx(&controls) != FALSE;
}

IconHandle Win32Env::LoadIconResource(int id) {
  // LoadIconA gives the system's standard icon size and a shared icon,
  // which is never destroyed.
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
  return reinterpret_cast<IconHandle>(icon);
}

bool Win32Env::NotifyIcon(uint32_t message, const NotifyIconData& data) {
  StopPoint();
  NOTIFYICONDATAA nid;
  std::memset(&nid, 0, sizeof nid);
  // The system names the full record by its 32-bit size; a 64-bit program
  // passes the size of its own full record.
  nid.cbSize = data.cbSize == kFullRecord32 ? sizeof nid : data.cbSize;
  nid.hWnd = reinterpret_cast<HWND>(data.hWnd);
  nid.uID = data.uID;
  nid.uFlags = data.uFlags;
  nid.uCallbackMessage = data.uCallbackMessage;
  nid.hIcon = reinterpret_cast<HICON>(data.hIcon);
  std::memcpy(nid.szTip, data.szTip, sizeof nid.szTip);
  nid.szTip[sizeof nid.szTip - 1] = '\0';
  return Shell_NotifyIconA(message, &nid) != FALSE;
}

int Win32Env::ShowMessageBox(WindowHandle owner, const std::string& text,
                             const std::string& caption, uint32_t type) {
  return MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(),
                     caption.c_str(), type);
}

}  // namespace platform
