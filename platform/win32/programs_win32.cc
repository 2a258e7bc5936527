#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

#include "platform/thread_stop.h"
#include "platform/win32/win32_env.h"

namespace platform {

unsigned Win32Env::WinExec(const std::string& command_line) {
  StopPoint();
  return ::WinExec(command_line.c_str(), SW_HIDE);
}

int Win32Env::System(const std::string& command) {
  StopPoint();
  // The command's own output must come after ours, not before it.
  std::fflush(stdout);
  // NOLINTNEXTLINE(cert-env33-c): Env::System is the command processor.
  return std::system(command.c_str());
}

void Win32Env::Print(const std::string& text) {
  std::lock_guard<std::mutex> lock(console_mu_);
  // The C runtime's text mode would turn every "\n" into "\r\n"; the text
  // is written as it is.
  std::fflush(stdout);
  int fd = _fileno(stdout);
  int old_mode = _setmode(fd, _O_BINARY);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  if (old_mode != -1) _setmode(fd, old_mode);
}

}  // namespace platform
