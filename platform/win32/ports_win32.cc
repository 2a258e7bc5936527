// Ports, time and chance on Windows.  The TCP table comes from two
// undocumented exports of iphlpapi.dll, looked up at run time, whose rows
// carry the owning process.
// winsock2.h must come before windows.h, and psapi.h after it.
#include <winsock2.h>

#include <windows.h>

#include <psapi.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/thread_stop.h"
#include "platform/win32/tcp_rows_win32.h"
#include "platform/win32/win32_env.h"

namespace platform {
namespace {

using AllocateExTable = DWORD(WINAPI*)(PVOID* table, BOOL order, HANDLE heap,
                                       DWORD flags, DWORD family);
using InternalTable2 = DWORD(WINAPI*)(PVOID* table, HANDLE heap, DWORD flags);

bool EnableDebugPrivilege(HANDLE token) {
  LUID luid;
  if (!LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &luid)) return false;
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid = luid;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  // It "succeeds" without the privilege held; only the error code tells.
  return GetLastError() == ERROR_SUCCESS;
}

}  // namespace

int Win32Env::FindPortOwner(int port, uint32_t* pid) {
  HMODULE library = LoadLibraryW(L"iphlpapi.dll");
  if (library == nullptr) return 1;
  auto allocate = reinterpret_cast<AllocateExTable>(reinterpret_cast<void*>(
      GetProcAddress(library, "AllocateAndGetTcpExTableFromStack")));
  auto internal = reinterpret_cast<InternalTable2>(
      reinterpret_cast<void*>(GetProcAddress(library, "InternalGetTcpTable2")));
  PVOID table = nullptr;
  size_t row_size = 0;
  DWORD status = ERROR_NOT_SUPPORTED;
  if (allocate != nullptr) {
    status = allocate(&table, TRUE, GetProcessHeap(), 0, AF_INET);
    row_size = kTcpExRowBytes;
  } else if (internal != nullptr) {
    status = internal(&table, GetProcessHeap(), 1);
    row_size = kTcpTable2RowBytes;
  }
  if (status == NO_ERROR && table != nullptr) {
    // The table lies in the process heap, whose block size bounds the rows
    // read, whatever the count in it says.
    const SIZE_T bytes = HeapSize(GetProcessHeap(), 0, table);
    if (bytes != static_cast<SIZE_T>(-1)) {
      std::optional<uint32_t> owner = TcpTablePortOwner(
          static_cast<const unsigned char*>(table), bytes, row_size, port);
      if (owner) *pid = *owner;
    }
  }
  if (table != nullptr) HeapFree(GetProcessHeap(), 0, table);
  FreeLibrary(library);
  return 0;
}

int Win32Env::TerminatePortOwner(uint32_t pid) {
  StopPoint();
  if (pid == 0 || pid == GetCurrentProcessId()) return 3;
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) {
    return 3;
  }
  int result = 3;
  HANDLE process = nullptr;
  if (EnableDebugPrivilege(token) &&
      (process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid)) != nullptr) {
    char image[256] = {};
    if (GetProcessImageFileNameA(process, image, sizeof image) > 0 &&
        image[0] != '\0') {
      const char* slash = std::strrchr(image, '\\');
      const char* name = slash ? slash + 1 : image;
      if (_stricmp(name, "httpd.exe") == 0 || TerminateProcess(process, 0)) {
        result = 0;
      }
    }
  }
  if (process != nullptr) CloseHandle(process);
  CloseHandle(token);
  return result;
}

int64_t Win32Env::Time() { return static_cast<int64_t>(std::time(nullptr)); }

void Win32Env::SRand(unsigned seed) { std::srand(seed); }

int Win32Env::Rand() { return std::rand(); }

}  // namespace platform
