#include <windows.h>

#include "platform/win32/win32_env.h"

namespace platform {
namespace {

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace

bool Win32Env::SetAutostartValue(const std::string& name,
                                 const std::string& data) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_ALL_ACCESS, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  // The stored length counts the terminating zero.
  LONG set = RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>(data.size() + 1));
  RegCloseKey(key);
  return set == ERROR_SUCCESS;
}

std::optional<std::string> Win32Env::AutostartValue(const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::optional<std::string> value;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) ==
          ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::string buf(size, '\0');
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buf.data()),
                         &size) == ERROR_SUCCESS) {
      buf.resize(size);
      // Stored with its terminating zero, or without it when another
      // program wrote it.
      while (!buf.empty() && buf.back() == '\0') buf.pop_back();
      value = buf;
    }
  }
  RegCloseKey(key);
  return value;
}

}  // namespace platform
