// Win32Env::RunCommandCaptured: two pipes + CreateProcessA.
#include <windows.h>

#include <algorithm>
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

// A child with its standard output and error in two pipes, and the read
// ends for us.
struct CapturedChild {
  PROCESS_INFORMATION process = {};
  HANDLE out_read = nullptr;
  HANDLE err_read = nullptr;
};

// Starts the child (the outputs emptied first).  0, or 2 / 3 as
// RunCommandCaptured.
int StartCaptured(const std::string& command_line, std::string* output,
                  std::string* errors, CapturedChild* child, uint32_t* error) {
  StopPoint();
  output->clear();
  errors->clear();
  PROCESS_INFORMATION* process = &child->process;
  HANDLE* out_read = &child->out_read;
  HANDLE* err_read = &child->err_read;
  HANDLE out_write = nullptr;
  HANDLE err_write = nullptr;
  if (!MakePipe(out_read, &out_write)) return 2;
  if (!MakePipe(err_read, &err_write)) {
    CloseHandle(*out_read);
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
  *process = {};
  BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0,
                                nullptr, nullptr, &startup, process);
  if (!started) *error = GetLastError();
  // Our copies of the write ends go at once, so the reads end when the
  // child (and whatever inherited its ends) is done.
  CloseHandle(out_write);
  CloseHandle(err_write);
  if (!started) {
    CloseHandle(*out_read);
    CloseHandle(*err_read);
    return 3;
  }
  CloseHandle(process->hThread);
  return 0;
}

// The exit status of an ended child into *exit_code; 4 when it cannot be
// had.
int Finish(HANDLE process, DWORD waited, int* exit_code) {
  int status = 0;
  if (waited == WAIT_FAILED) {
    status = 4;
  } else {
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    *exit_code = static_cast<int>(code);
  }
  CloseHandle(process);
  return status;
}

// The longest a bounded run waits before it looks at the thread's stop
// token again.
constexpr DWORD kSliceMs = 50;

}  // namespace

int Win32Env::RunCommandCaptured(const std::string& command_line,
                                 std::string* output, std::string* errors,
                                 int* exit_code, uint32_t* error) {
  CapturedChild child;
  if (int started = StartCaptured(command_line, output, errors, &child, error))
    return started;
  PROCESS_INFORMATION& process = child.process;
  HANDLE out_read = child.out_read;
  HANDLE err_read = child.err_read;
  // Anonymous pipes cannot be waited on together, so standard error is
  // drained by a thread of its own while standard output is read here:
  // a child filling either pipe never blocks.
  std::thread err_reader(ReadAll, err_read, errors);
  ReadAll(out_read, output);
  err_reader.join();
  CloseHandle(out_read);
  CloseHandle(err_read);
  return Finish(process.hProcess,
                WaitForSingleObject(process.hProcess, INFINITE), exit_code);
}

// Both pipes are drained by threads of their own while this one waits for
// the child, its time and the stop; a child ended by us closes its pipe
// ends, so the readers end with it.
int Win32Env::RunCommandCapturedFor(const std::string& command_line,
                                    uint32_t limit_ms, std::string* output,
                                    std::string* errors, int* exit_code,
                                    uint32_t* error) {
  CapturedChild child;
  if (int started = StartCaptured(command_line, output, errors, &child, error))
    return started;
  PROCESS_INFORMATION& process = child.process;
  HANDLE out_read = child.out_read;
  HANDLE err_read = child.err_read;
  std::thread out_reader(ReadAll, out_read, output);
  std::thread err_reader(ReadAll, err_read, errors);
  HttpCancel* stop = CurrentThreadStop();
  const ULONGLONG deadline = GetTickCount64() + limit_ms;
  DWORD waited = WAIT_TIMEOUT;
  bool stopped = false;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) break;
    waited = WaitForSingleObject(
        process.hProcess,
        static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kSliceMs)));
    if (waited != WAIT_TIMEOUT) break;
    if (stop != nullptr && stop->cancelled()) {
      stopped = true;
      break;
    }
  }
  const bool ended_by_us = waited == WAIT_TIMEOUT;
  if (ended_by_us) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
  }
  out_reader.join();
  err_reader.join();
  CloseHandle(out_read);
  CloseHandle(err_read);
  const int status = Finish(process.hProcess, waited, exit_code);
  if (stopped) throw ThreadStopped();
  return ended_by_us ? 5 : status;
}

}  // namespace platform
