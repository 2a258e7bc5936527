// The fake's shell open: the trace line "open <address>".
#ifndef BRAMO_PLATFORM_FAKE_SHELL_OPEN_FAKE_H_
#define BRAMO_PLATFORM_FAKE_SHELL_OPEN_FAKE_H_

#include "platform/shell_open.h"

namespace platform {

class FakeEnv;

class FakeShellOpen : public ShellOpen {
 public:
  explicit FakeShellOpen(FakeEnv* env) : env_(env) {}
  bool ShellExecuteOpen(const std::string& address) override;

 private:
  FakeEnv* env_;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_FAKE_SHELL_OPEN_FAKE_H_
