#include "testing/holder_process_win32.h"

#include <windows.h>

#include <vector>

namespace testing_support {

std::string HolderProcess::ToolPath() {
  char path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string own(path, n);
  return own.substr(0, own.rfind('\\') + 1) + "holder_tool.exe";
}

HolderProcess::HolderProcess(const std::string& arguments,
                             const std::string& program) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE in_read, in_write, out_read, out_write;
  if (!CreatePipe(&in_read, &in_write, &inherit, 0)) return;
  if (!CreatePipe(&out_read, &out_write, &inherit, 0)) {
    CloseHandle(in_read);
    CloseHandle(in_write);
    return;
  }
  // Only the child's ends are inherited.
  SetHandleInformation(in_write, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in_read;
  startup.hStdOutput = out_write;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  std::string command =
      "\"" + (program.empty() ? ToolPath() : program) + "\" " + arguments;
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  PROCESS_INFORMATION info = {};
  if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE,
                     CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info)) {
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    input_ = in_write;
  } else {
    CloseHandle(in_write);
  }
  CloseHandle(in_read);
  CloseHandle(out_write);
  // The first line; the pipe ends early when the child does.
  char c;
  DWORD got = 0;
  while (process_ != nullptr && line_.size() < 200 &&
         ReadFile(out_read, &c, 1, &got, nullptr) && got == 1 && c != '\n') {
    if (c != '\r') line_ += c;
  }
  CloseHandle(out_read);
}

HolderProcess::~HolderProcess() {
  if (process_ == nullptr) return;
  if (Release() == -1) TerminateProcess(process_, 1);
  CloseHandle(process_);
}

bool HolderProcess::RunningAfter(uint32_t ms) {
  return process_ != nullptr &&
         WaitForSingleObject(process_, ms) == WAIT_TIMEOUT;
}

int HolderProcess::Release() {
  if (input_ != nullptr) {
    CloseHandle(input_);
    input_ = nullptr;
  }
  if (process_ == nullptr ||
      WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) {
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return static_cast<int>(code);
}

}  // namespace testing_support
