#include "platform/fake/shell_open_fake.h"

#include "platform/fake/fake_env.h"

namespace platform {

bool FakeShellOpen::ShellExecuteOpen(const std::string& address) {
  env_->Record("open " + address);
  return true;
}

}  // namespace platform
