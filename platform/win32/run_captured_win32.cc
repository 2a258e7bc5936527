// Win32Env::RunCommandCaptured: two pipes + CreateProcessA.
#include <windows.h>

#include <thread>
#include <vector>

#include "platform/thread_stop.h"
#include "platform/win32/win32_env.h"

namespace platform {
namespace {

// Reads `pipe` until every writer is gone.
void ReadAll(HANDLE pipe, std::string* sink) {
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got > 0) {
    sink->append(chunk, got);
  }
}

// An anonymous pipe whose write end the child inherits and whose read end
// it does not.
bool MakePipe(HANDLE* read_end, HANDLE* write_end) {
  SECURITY_ATTRIBUTES security = {};
  security.nLength = sizeof security;
  security.bInheritHandle = TRUE;
  security.lpSecurityDescriptor = nullptr;
  if (!CreatePipe(read_end, write_end, &security, 0)) return false;
  SetHandleInformation(*read_end, HANDLE_FLAG_INHERIT, 0);
  return true;
}

}  // namespace

int Win32Env::RunCommandCaptured(const std::string& command_line,
                                 std::string* output, std::string* errors,
                                 int* exit_code, uint32_t* error) {
  StopPoint();
  output->clear();
  errors->clear();
  HANDLE out_read = nullptr, out_write = nullptr;
  HANDLE err_read = nullptr, err_write = nullptr;
  if (!MakePipe(&out_read, &out_write)) return 2;
  if (!MakePipe(&err_read, &err_write)) {
    CloseHandle(out_read);
    CloseHandle(out_write);
    return 2;
  }

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  startup.hStdOutput = out_write;
  startup.hStdError = err_write;
  startup.wShowWindow = SW_HIDE;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;

  // CreateProcessA may write into the command line it is given.
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  PROCESS_INFORMATION process = {};
  BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0,
                                nullptr, nullptr, &startup, &process);
  if (!started) *error = GetLastError();
  // Our copies of the write ends go at once, so the reads below end when
  // the child (and whatever inherited its ends) is done.
  CloseHandle(out_write);
  CloseHandle(err_write);
  if (!started) {
    CloseHandle(out_read);
    CloseHandle(err_read);
    return 3;
  }
  CloseHandle(process.hThread);
  // Anonymous pipes cannot be waited on together, so standard error is
  // drained by a thread of its own while standard output is read here:
  // a child filling either pipe never blocks.
  std::thread err_reader(ReadAll, err_read, errors);
  ReadAll(out_read, output);
  err_reader.join();
  CloseHandle(out_read);
  CloseHandle(err_read);
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
