// The window test's menu probe, a DLL that window_texts hooks into the
// thread tracking a popup menu (WH_GETMESSAGE: the menu's own loop calls
// it).  There, and only there, the menu can be read: the hook writes the
// items of the open popup to the file "<this DLL's path>.txt", one a line
// in UTF-8, as the Linux console prints the menu: "<id> <label>", " [x]"
// after a checked one, "-" for a separator; each line ends in a tab and
// the item's place on the screen, "<x>,<y>,<w>,<h>", where the test clicks.  The file appears whole
// (written under another name, then renamed); the hook writes it when it
// is not there, so window_texts asks again by removing it.
#include <windows.h>

#include <string>

namespace {

HMODULE self = nullptr;

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

BOOL CALLBACK FindMenu(HWND window, LPARAM found) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (IsWindowVisible(window) && lstrcmpW(name, L"#32768") == 0) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

std::string Place(HWND window, HMENU menu, int i) {
  RECT r = {};
  GetMenuItemRect(window, menu, static_cast<UINT>(i), &r);
  return "\t" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right - r.left) + "," +
         std::to_string(r.bottom - r.top) + "\n";
}

std::string Items(HWND window, HMENU menu) {
  std::string out;
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    if (state & MF_SEPARATOR) {
      out += "-" + Place(window, menu, i);
      continue;
    }
    wchar_t text[256] = {};
    int n =
        GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
    out += std::to_string(GetMenuItemID(menu, i)) + " " +
           Utf8(std::wstring(text, n > 0 ? static_cast<size_t>(n) : 0));
    if (state & MF_CHECKED) out += " [x]";
    out += Place(window, menu, i);
  }
  return out;
}

bool Write(const std::wstring& path, const std::string& text) {
  std::wstring part = path + L".part";
  HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &n,
                      nullptr) &&
            n == text.size();
  CloseHandle(file);
  return ok &&
         MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void Record() {
  HWND window = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindMenu,
                    reinterpret_cast<LPARAM>(&window));
  if (window == nullptr) return;
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(self, path, MAX_PATH);
  std::wstring record = std::wstring(path) + L".txt";
  if (GetFileAttributesW(record.c_str()) != INVALID_FILE_ATTRIBUTES) return;
  auto menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
  if (menu != nullptr) Write(record, Items(window, menu));
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    MenuProbeHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code >= 0) Record();
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}
