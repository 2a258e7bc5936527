// Opening an address on Linux: xdg-open when the machine has it and a
// display is there, else the console line "[open] ADDRESS".
#ifndef BRAMO_PLATFORM_POSIX_SHELL_OPEN_POSIX_H_
#define BRAMO_PLATFORM_POSIX_SHELL_OPEN_POSIX_H_

#include "platform/shell_open.h"

namespace platform {

class PosixEnv;

class PosixShellOpen : public ShellOpen {
 public:
  explicit PosixShellOpen(PosixEnv* env) : env_(env) {}
  bool ShellExecuteOpen(const std::string& address) override;

 private:
  PosixEnv* env_;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_POSIX_SHELL_OPEN_POSIX_H_
