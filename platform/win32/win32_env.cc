#include "platform/win32/win32_env.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>

#include "platform/common/pause_scale.h"
#include "platform/thread_stop.h"

namespace platform {

// The elevated relaunch passes the size of SHELLEXECUTEINFOA: 60 bytes in
// a 32-bit program, 112 in a 64-bit one.
static_assert(sizeof(SHELLEXECUTEINFOA) == (sizeof(void*) == 4 ? 60 : 112),
              "SHELLEXECUTEINFOA must be the structure of its width");

Win32Env::Win32Env() = default;
Win32Env::~Win32Env() = default;

std::string Win32Env::ModulePath(size_t capacity) {
  if (capacity == 0) return "";
  std::vector<char> buf(capacity);
  DWORD n =
      GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(capacity));
  // A path that does not fit comes back cut to the buffer (n == capacity);
  // a cut path would name another file.
  if (n == 0 || n >= capacity) return "";
  return std::string(buf.data(), n);
}

bool Win32Env::IsAdministrator(uint32_t* error) {
  *error = 0;
  SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                &administrators)) {
    *error = GetLastError();
  } else {
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member)) {
      *error = GetLastError();
    }
    FreeSid(administrators);
    if (*error == 0) return member != FALSE;
  }
  // The caller tells a failed test by a non-zero code.
  if (*error == 0) *error = ERROR_GEN_FAILURE;
  return false;
}

bool Win32Env::RelaunchElevated(const std::string& program) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = 0;
  info.lpVerb = "runas";
  info.lpFile = program.c_str();
  info.lpParameters = nullptr;
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExA(&info) != FALSE;
}

void Win32Env::ExitProcess(int code) {
  std::fflush(nullptr);
  ::ExitProcess(static_cast<UINT>(code));
}

void Win32Env::Sleep(uint32_t ms) {
  StopPoint();
  PauseThisThread(ScaledPause(ms));
}

Env* NewPlatformEnv() { return new Win32Env(); }

}  // namespace platform
