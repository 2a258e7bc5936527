// Reads back what the desktop shows, for the window test under Wine: the
// texts are asked of the windows themselves (WM_GETTEXT, which Wine carries
// between processes) and printed as UTF-8, so the test sees the characters
// the users see, whatever code page a program wrote them in.
//
//   window_texts          one line "acp <code page>", then every visible
//                         top-level window and, below it, its visible
//                         children:
//                           window <hwnd> <class> <x>,<y>,<w>,<h> "<text>"
//                           child <hwnd> <id> <class> <x>,<y>,<w>,<h>
//                                 <check> "<text>"
//                         (check: [x], [ ] or - for no button, icon for
//                         a picture such as a message box's); texts with
//                         \\, \" and \n escaped
//   window_texts menu <probe.dll>
//                         the popup menu open on the desktop, item by item
//                         as the menu itself holds them (see menu_probe.cc);
//                         status 1 when no menu opens within 5 s
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return "";
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(),
                              static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                      out.data(), n, nullptr, nullptr);
  return out;
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    if (c == '\n') {
      out += "\\n";
    } else if (c != '\r') {
      out += c;
    }
  }
  return out + "\"";
}

// Another process's window may hang; a second is plenty for a text.
std::wstring Text(HWND window) {
  wchar_t text[1024] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024,
                           reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                           1000, &copied)) {
    return L"";
  }
  return std::wstring(text, copied < 1024 ? copied : 1023);
}

std::string ClassOf(HWND window) {
  wchar_t name[128] = {};
  int n = GetClassNameW(window, name, 128);
  return Utf8(std::wstring(name, n > 0 ? static_cast<size_t>(n) : 0));
}

std::string Rect(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  char out[64];
  std::snprintf(out, sizeof out, "%ld,%ld,%ld,%ld", r.left, r.top,
                r.right - r.left, r.bottom - r.top);
  return out;
}

std::string Handle(HWND window) {
  char out[32];
  std::snprintf(
      out, sizeof out, "%llx",
      static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
  return out;
}

// Buttons answer BM_GETCHECK; their kinds are told by the style, since
// every other control answers 0 as an unchecked box would.
std::string Check(HWND window) {
  LONG style = GetWindowLongW(window, GWL_STYLE);
  if (ClassOf(window) == "Static" && (style & SS_TYPEMASK) == SS_ICON) {
    return "icon";
  }
  if (ClassOf(window) != "Button") return "-";
  LONG kind = style & BS_TYPEMASK;
  if (kind != BS_CHECKBOX && kind != BS_AUTOCHECKBOX &&
      kind != BS_RADIOBUTTON && kind != BS_AUTORADIOBUTTON &&
      kind != BS_3STATE && kind != BS_AUTO3STATE) {
    return "-";
  }
  DWORD_PTR state = 0;
  SendMessageTimeoutW(window, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 1000,
                      &state);
  return state == BST_CHECKED ? "[x]" : "[ ]";
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
  if (!IsWindowVisible(child)) return TRUE;
  std::printf("child %s %d %s %s %s %s\n", Handle(child).c_str(),
              GetDlgCtrlID(child), ClassOf(child).c_str(), Rect(child).c_str(),
              Check(child).c_str(), Quoted(Utf8(Text(child))).c_str());
  return TRUE;
}

BOOL CALLBACK PrintWindow(HWND window, LPARAM) {
  if (!IsWindowVisible(window)) return TRUE;
  std::printf("window %s %s %s %s\n", Handle(window).c_str(),
              ClassOf(window).c_str(), Rect(window).c_str(),
              Quoted(Utf8(Text(window))).c_str());
  EnumChildWindows(window, PrintChild, 0);
  return TRUE;
}

BOOL CALLBACK FindMenu(HWND window, LPARAM found) {
  if (IsWindowVisible(window) && ClassOf(window) == "#32768") {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

// The menu lives in the process that tracks it, where no other process
// can read it; the probe's hook is called there, on the tracking thread,
// and leaves the items in a file beside the probe.
int PrintMenu(const wchar_t* probe_path) {
  HMODULE probe = LoadLibraryW(probe_path);
  auto hook = reinterpret_cast<HOOKPROC>(
      reinterpret_cast<void*>(GetProcAddress(probe, "MenuProbeHook")));
  if (hook == nullptr) {
    std::fprintf(stderr, "window_texts: no MenuProbeHook in the probe\n");
    return 2;
  }
  std::wstring record = std::wstring(probe_path) + L".txt";
  DeleteFileW(record.c_str());
  for (int i = 0; i < 100; ++i) {
    HWND menu = nullptr;
    EnumWindows(FindMenu, reinterpret_cast<LPARAM>(&menu));
    if (menu == nullptr) {
      Sleep(50);
      continue;
    }
    DWORD thread = GetWindowThreadProcessId(menu, nullptr);
    HHOOK hooked = SetWindowsHookExW(WH_GETMESSAGE, hook, probe, thread);
    for (int j = 0; j < 50 && hooked != nullptr; ++j) {
      PostThreadMessageW(thread, WM_NULL, 0, 0);
      Sleep(100);
      HANDLE file = CreateFileW(record.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
      if (file == INVALID_HANDLE_VALUE) continue;
      char buffer[8192];
      DWORD n = 0;
      ReadFile(file, buffer, sizeof buffer, &n, nullptr);
      CloseHandle(file);
      std::fwrite(buffer, 1, n, stdout);
      UnhookWindowsHookEx(hooked);
      return 0;
    }
    if (hooked != nullptr) UnhookWindowsHookEx(hooked);
    std::fprintf(stderr, "window_texts: the probe did not answer\n");
    return 1;
  }
  std::fprintf(stderr, "window_texts: no menu is open\n");
  return 1;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc == 3 && std::wstring(argv[1]) == L"menu") return PrintMenu(argv[2]);
  if (argc != 1) {
    std::fputs("usage: window_texts [menu <probe.dll>]\n", stderr);
    return 2;
  }
  std::printf("acp %u\n", GetACP());
  EnumWindows(PrintWindow, 0);
  return 0;
}
