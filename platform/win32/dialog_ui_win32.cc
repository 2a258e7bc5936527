#include "platform/win32/dialog_ui_win32.h"

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "platform/env.h"
#include "platform/win32/gbk_wide.h"

namespace platform {
namespace {

HWND Hwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

INT_PTR CALLBACK ModalProc(HWND hwnd, UINT message, WPARAM wparam,
                           LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, lparam);
    auto* host = reinterpret_cast<WindowHost*>(lparam);
    return host->OnInitDialog(reinterpret_cast<WindowHandle>(hwnd)) ? TRUE
                                                                    : FALSE;
  }
  auto* host =
      reinterpret_cast<WindowHost*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (host == nullptr) return FALSE;
  if (message == WM_DESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    host->OnDestroy();
    return FALSE;
  }
  intptr_t result = 0;
  bool handled;
  if (message == WM_NOTIFY) {
    // The host hears the control and the code, not the platform's
    // structure.
    const auto* header = reinterpret_cast<const NMHDR*>(lparam);
    handled = host->OnMessage(kWmNotify, header->idFrom,
                              static_cast<int>(header->code), &result);
  } else {
    handled = host->OnMessage(message, wparam, lparam, &result);
  }
  if (!handled) return FALSE;
  SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, static_cast<LONG_PTR>(result));
  return TRUE;
}

}  // namespace

int Win32DialogUi::RunModalDialog(const DialogLayout& layout, WindowHandle owner,
                                  WindowHost* host) {
  // The link control's class, as the framework registers it before a
  // template that uses one.
  INITCOMMONCONTROLSEX controls = {sizeof controls,
                                   ICC_LINK_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  // The wide form, so that the controls get the template's texts whole
  // whatever the system's ANSI code page is (the ANSI form converts them
  // to it).
  INT_PTR result = DialogBoxParamW(
      GetModuleHandleW(nullptr), MAKEINTRESOURCEW(layout.resource_id),
      Hwnd(owner), ModalProc, reinterpret_cast<LPARAM>(host));
  return static_cast<int>(result);
}

void Win32DialogUi::EndDialog(WindowHandle dialog, int result) {
  ::EndDialog(Hwnd(dialog), result);
}

std::string Win32DialogUi::ControlText(WindowHandle dialog, int id,
                                       size_t capacity) {
  if (capacity == 0) return "";
  std::vector<wchar_t> text(capacity, L'\0');
  UINT n = GetDlgItemTextW(Hwnd(dialog), id, text.data(),
                           static_cast<int>(capacity));
  std::string gbk = WideToGbk(std::wstring(text.data(), n));
  if (gbk.size() > capacity - 1) gbk.resize(capacity - 1);
  return gbk;
}

void Win32DialogUi::SetControlText(WindowHandle dialog, int id,
                                   const std::string& text) {
  SetDlgItemTextW(Hwnd(dialog), id, GbkToWide(text).c_str());
}

int Win32DialogUi::ButtonCheck(WindowHandle dialog, int id) {
  return static_cast<int>(IsDlgButtonChecked(Hwnd(dialog), id));
}

void Win32DialogUi::SetButtonCheck(WindowHandle dialog, int id, int state) {
  CheckDlgButton(Hwnd(dialog), id, static_cast<UINT>(state));
}

void Win32DialogUi::FocusControl(WindowHandle dialog, int id) {
  HWND control = GetDlgItem(Hwnd(dialog), id);
  if (control == nullptr) return;
  SetFocus(control);
  char kind[16] = {};
  GetClassNameA(control, kind, sizeof kind);
  if (lstrcmpiA(kind, "Edit") == 0) SendMessageA(control, EM_SETSEL, 0, -1);
}

void Win32DialogUi::ModifyExStyle(WindowHandle window, uint32_t remove,
                                  uint32_t add) {
  HWND hwnd = Hwnd(window);
  LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_EXSTYLE);
  SetWindowLongPtrA(hwnd, GWL_EXSTYLE,
                    (style & ~static_cast<LONG_PTR>(remove)) | add);
}

std::string Win32DialogUi::LoadStringResource(int id, const std::string&) {
  wchar_t text[256] = {};
  int n =
      LoadStringW(GetModuleHandleA(nullptr), static_cast<UINT>(id), text, 256);
  return n > 0 ? WideToGbk(std::wstring(text, static_cast<size_t>(n))) : "";
}

uint32_t Win32DialogUi::RegisterMessageName(const std::string& name) {
  return RegisterWindowMessageA(name.c_str());
}

}  // namespace platform
