// Portable stand-ins for the few Win32 types and values the system's code
// speaks in.  The values are the Win32 ones, so the win32 layer passes them
// through unchanged.  Names are namespaced to stay clear of <windows.h>
// macros.
#ifndef BRAMO_PLATFORM_WIN_TYPES_H_
#define BRAMO_PLATFORM_WIN_TYPES_H_

#include <cstdint>

namespace platform {

using WindowHandle = uintptr_t;  // HWND; 0 is no window
using IconHandle = uintptr_t;    // HICON; 0 is no icon

// Shell_NotifyIconA messages and flags.
inline constexpr uint32_t kNimAdd = 0;
inline constexpr uint32_t kNimModify = 1;
inline constexpr uint32_t kNimDelete = 2;
inline constexpr uint32_t kNifMessage = 0x1;
inline constexpr uint32_t kNifIcon = 0x2;
inline constexpr uint32_t kNifTip = 0x4;

inline constexpr uint32_t kWmUser = 0x0400;
inline constexpr uint32_t kWmPaint = 0x000F;
inline constexpr uint32_t kWmQueryDragIcon = 0x0037;
inline constexpr uint32_t kWmSysCommand = 0x0112;
inline constexpr uint32_t kWmCommand = 0x0111;
inline constexpr uint32_t kWmInitMenuPopup = 0x0117;
inline constexpr uint32_t kWmClose = 0x0010;
inline constexpr uint32_t kWmNotify = 0x004E;
inline constexpr uint32_t kWmLButtonDblClk = 0x0203;
inline constexpr uint32_t kWmRButtonDown = 0x0204;

// Notification codes: a button's click (WM_COMMAND) and a common control's
// click (WM_NOTIFY).
inline constexpr uint32_t kBnClicked = 0;
inline constexpr intptr_t kNmClick = -2;

// Extended window styles.
inline constexpr uint32_t kWsExToolWindow = 0x00000080;
inline constexpr uint32_t kWsExAppWindow = 0x00040000;

// Button check states (BST_).
inline constexpr int kBstUnchecked = 0;
inline constexpr int kBstChecked = 1;
inline constexpr int kBstIndeterminate = 2;

// The part of NOTIFYICONDATAA the system fills in.  The win32 layer copies
// it into the real 508-byte structure; the other fields stay zero there.
struct NotifyIconData {
  uint32_t cbSize = 0;
  WindowHandle hWnd = 0;
  uint32_t uID = 0;
  uint32_t uFlags = 0;
  uint32_t uCallbackMessage = 0;
  IconHandle hIcon = 0;
  char szTip[128] = {};
};

namespace mb {  // MessageBox types
inline constexpr uint32_t kOk = 0x0;
inline constexpr uint32_t kOkCancel = 0x1;
inline constexpr uint32_t kIconError = 0x10;
inline constexpr uint32_t kIconQuestion = 0x20;
inline constexpr uint32_t kIconWarning = 0x30;
inline constexpr uint32_t kIconInformation = 0x40;
inline constexpr uint32_t kButtonMask = 0xF;
inline constexpr uint32_t kIconMask = 0xF0;
}  // namespace mb

namespace id {  // MessageBox answers, and the OK and Cancel buttons' ids
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
}  // namespace id

// InitCommonControlsEx.
inline constexpr uint32_t kIccWin95Classes = 0xFF;

// The icon resources of the controller and the role each one plays; the
// console front end and the fake name pictures by role.
inline constexpr int kIconApp = 128;
inline constexpr int kIconRunning = 129;
inline constexpr int kIconWarning = 130;
inline constexpr int kIconIdle = 131;
inline constexpr int kIconUnregistered = 134;

// "idle", "running", "warning", "unregistered", "app"; "unknown" otherwise.
const char* IconRoleName(int resource_id);

}  // namespace platform

#endif  // BRAMO_PLATFORM_WIN_TYPES_H_
