#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/win32/win32_env.h"

namespace platform {
namespace {

// What a dialog of ours carries in its user data from WM_INITDIALOG on.
// It is freed at WM_NCDESTROY; until WM_INITDIALOG takes it (`*taken`),
// CreateDialogWindow frees it if creation fails.
struct DialogLink {
  Win32Env* env;
  WindowHost* host;
  bool* taken;
};

// Messages whose result a dialog procedure returns itself instead of
// through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
  switch (message) {
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
      return true;
    default:
      return false;
  }
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam,
                            LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* link = reinterpret_cast<DialogLink*>(lparam);
    *link->taken = true;
    link->taken = nullptr;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(link));
    return link->host->OnInitDialog(reinterpret_cast<WindowHandle>(hwnd))
               ? TRUE
               : FALSE;
  }
  auto* link =
      reinterpret_cast<DialogLink*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  // Messages before WM_INITDIALOG (WM_SETFONT...) and after the host has
  // been told of the end go to the default dialog handling.
  if (link == nullptr || link->host == nullptr) {
    if (message == WM_NCDESTROY && link != nullptr) {
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      delete link;
    }
    return FALSE;
  }
  if (message == WM_DESTROY) {
    WindowHost* host = link->host;
    link->host = nullptr;
    host->OnDestroy();
    link->env->ForgetWindow(reinterpret_cast<WindowHandle>(hwnd));
    return FALSE;
  }
  intptr_t result = 0;
  if (!link->host->OnMessage(message, wparam, lparam, &result)) return FALSE;
  if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
  SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, static_cast<LONG_PTR>(result));
  return TRUE;
}

HWND Hwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

}  // namespace

WindowHandle Win32Env::CreateDialogWindow(int template_id, WindowHost* host) {
  bool taken = false;
  auto* link = new DialogLink{this, host, &taken};
  HWND hwnd = CreateDialogParamA(GetModuleHandleA(nullptr),
                                 MAKEINTRESOURCEA(template_id), nullptr,
                                 DialogProc, reinterpret_cast<LPARAM>(link));
  if (hwnd == nullptr) {
    if (!taken) delete link;
    return 0;
  }
  auto window = reinterpret_cast<WindowHandle>(hwnd);
  std::lock_guard<std::mutex> lock(windows_mu_);
  windows_.push_back(window);
  return window;
}

void Win32Env::DestroyDialogWindow(WindowHandle window) {
  {
    std::lock_guard<std::mutex> lock(windows_mu_);
    if (std::find(windows_.begin(), windows_.end(), window) == windows_.end())
      return;
  }
  DestroyWindow(Hwnd(window));
}

void Win32Env::ForgetWindow(WindowHandle window) {
  bool was_main;
  {
    std::lock_guard<std::mutex> lock(windows_mu_);
    windows_.erase(std::remove(windows_.begin(), windows_.end(), window),
                   windows_.end());
    was_main = window == main_window_;
  }
  if (was_main) PostQuitMessage(0);
}

int Win32Env::RunMessageLoop(WindowHandle main_window) {
  {
    std::lock_guard<std::mutex> lock(windows_mu_);
    if (std::find(windows_.begin(), windows_.end(), main_window) ==
        windows_.end()) {
      return 0;  // already gone: nothing would ever end the loop
    }
    main_window_ = main_window;
  }
  MSG msg;
  while (true) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) break;  // WM_QUIT
    if (got == -1) return 1;
    // IsDialogMessageA dispatches the message, and its handler may create
    // or destroy our dialogs (the exit command does): it runs on a copy
    // of the list, with the lock released.  A window destroyed meanwhile
    // is no longer a window, and IsDialogMessageA passes it by.
    std::vector<WindowHandle> dialogs;
    {
      std::lock_guard<std::mutex> lock(windows_mu_);
      dialogs = windows_;
    }
    bool dialog_message = false;
    for (WindowHandle window : dialogs) {
      if (IsDialogMessageA(Hwnd(window), &msg)) {
        dialog_message = true;
        break;
      }
    }
    if (!dialog_message) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  std::lock_guard<std::mutex> lock(windows_mu_);
  main_window_ = 0;
  return static_cast<int>(msg.wParam);
}

bool Win32Env::IsIconic(WindowHandle window) {
  return ::IsIconic(Hwnd(window)) != FALSE;
}

void Win32Env::ClientSize(WindowHandle window, int* width, int* height) {
  RECT rect = {};
  GetClientRect(Hwnd(window), &rect);
  *width = rect.right - rect.left;
  *height = rect.bottom - rect.top;
}

void Win32Env::IconMetrics(int* cx, int* cy) {
  *cx = GetSystemMetrics(SM_CXICON);
  *cy = GetSystemMetrics(SM_CYICON);
}

void Win32Env::DrawMinimizedIcon(WindowHandle window, IconHandle icon, int x,
                                 int y) {
  HWND hwnd = Hwnd(window);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd, &paint);
  SendMessageA(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  DrawIcon(dc, x, y, reinterpret_cast<HICON>(icon));
  EndPaint(hwnd, &paint);
}

void Win32Env::SetWindowIcons(WindowHandle window, IconHandle icon) {
  HWND hwnd = Hwnd(window);
  SendMessageA(hwnd, WM_SETICON, ICON_BIG, static_cast<LPARAM>(icon));
  SendMessageA(hwnd, WM_SETICON, ICON_SMALL, static_cast<LPARAM>(icon));
}

}  // namespace platform
