// Win32Env::RunCommandCaptured: CreatePipe + CreateProcessA.
#include <windows.h>

#include <vector>

#include "platform/thread_stop.h"
#include "platform/win32/win32_env.h"

namespace platform {

int Win32Env::RunCommandCaptured(const std::string& command_line,
                                 std::string* output, int* exit_code,
                                 uint32_t* error) {
  StopPoint();
  output->clear();
  SECURITY_ATTRIBUTES security = {};
  security.nLength = sizeof security;
  security.bInheritHandle = TRUE;
  security.lpSecurityDescriptor = nullptr;
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &security, 0)) return 2;

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  startup.wShowWindow = SW_HIDE;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;

  // CreateProcessA may write into the command line it is given.
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0,
                      nullptr, nullptr, &startup, &process)) {
    *error = GetLastError();
    CloseHandle(read_end);
    CloseHandle(write_end);
    return 3;
  }
  CloseHandle(process.hThread);
  // Our copy of the write end goes at once, so the reads below end when
  // the child (and whatever inherited its end) is done; reading before the
  // wait keeps a child with much to say from blocking on a full pipe.
  CloseHandle(write_end);
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(read_end, chunk, sizeof chunk, &got, nullptr) && got > 0) {
    output->append(chunk, got);
  }
  CloseHandle(read_end);
  int status = 0;
  if (WaitForSingleObject(process.hProcess, INFINITE) == WAIT_FAILED) {
    status = 4;
  } else {
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    *exit_code = static_cast<int>(code);
  }
  CloseHandle(process.hProcess);
  return status;
}

}  // namespace platform
