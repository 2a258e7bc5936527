#include "platform/win32/shell_open_win32.h"

#include <windows.h>

#include <shellapi.h>

namespace platform {

bool Win32ShellOpen::ShellExecuteOpen(const std::string& address) {
  HINSTANCE result = ShellExecuteA(nullptr, nullptr, address.c_str(), nullptr,
                                   nullptr, SW_SHOW);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace platform
