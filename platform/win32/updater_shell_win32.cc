#include <windows.h>

#include <shellapi.h>

#include <vector>

#include "platform/win32/win32_env.h"

namespace platform {
namespace {

// GBK (code page 936) to UTF-16.
std::wstring Wide(const std::string& text) {
  if (text.empty()) return L"";
  int n = MultiByteToWideChar(936, 0, text.data(),
                              static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()),
                      out.data(), n);
  return out;
}

}  // namespace

int Win32Env::ShowMessageBoxW(const std::string& text,
                              const std::string& caption, uint32_t type) {
  return MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), type);
}

bool Win32Env::ShellOpenW(const std::string& address) {
  HINSTANCE result = ShellExecuteW(nullptr, nullptr, Wide(address).c_str(),
                                   nullptr, nullptr, SW_SHOW);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

std::string Win32Env::FirstLogicalDrive() {
  wchar_t drives[260] = {};
  if (GetLogicalDriveStringsW(260, drives) == 0 || drives[0] == L'\0') {
    return "";
  }
  std::string narrow;
  for (const wchar_t* c = drives; *c != L'\0'; ++c) {
    narrow += static_cast<char>(*c);  // drive roots are ASCII
  }
  return narrow;
}

bool Win32Env::IsPrivateFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

std::optional<std::string> Win32Env::EnvironmentVariable(
    const std::string& name) {
  char buf[1024];
  DWORD n = GetEnvironmentVariableA(name.c_str(), buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return std::nullopt;
  return std::string(buf, n);
}

}  // namespace platform
