// psapi.dll's own exports (rather than the K32 forms in kernel32 that
// newer headers map to) work on every 32-bit Windows.
#define PSAPI_VERSION 1
#include <windows.h>

#include <psapi.h>

#include <algorithm>

#include "platform/win32/win32_env.h"

namespace platform {

bool Win32Env::EnumProcesses(size_t capacity, std::vector<uint32_t>* ids) {
  ids->clear();
  std::vector<DWORD> buf(capacity == 0 ? 1 : capacity);
  DWORD bytes = 0;
  if (!::EnumProcesses(buf.data(), static_cast<DWORD>(capacity * sizeof(DWORD)),
                       &bytes)) {
    return false;
  }
  size_t count = bytes / sizeof(DWORD);
  if (count > capacity) count = capacity;
  ids->assign(buf.begin(), buf.begin() + count);
  return true;
}

std::optional<std::string> Win32Env::ProcessBaseName(uint32_t pid,
                                                     size_t capacity) {
  HANDLE process =
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (process == nullptr) return std::nullopt;
  std::optional<std::string> name;
  HMODULE module = nullptr;
  DWORD needed = 0;
  // Room for one module handle: the first module is the program itself.
  // NOLINTNEXTLINE(bugprone-sizeof-expression): the size of one handle.
  if (EnumProcessModules(process, &module, sizeof module, &needed)) {
    std::vector<char> buf(capacity == 0 ? 1 : capacity, '\0');
    DWORD n = GetModuleBaseNameA(process, module, buf.data(),
                                 static_cast<DWORD>(buf.size()));
    // A long name fills the whole buffer, without a terminating zero on
    // some systems; the caller gets at most capacity - 1 characters.
    name = std::string(buf.data(), std::min<size_t>(n, buf.size() - 1));
  }
  CloseHandle(process);
  return name;
}

}  // namespace platform
