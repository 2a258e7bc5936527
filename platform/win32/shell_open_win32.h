// Opening an address on Windows: ShellExecuteA with the default verb.
#ifndef BRAMO_PLATFORM_WIN32_SHELL_OPEN_WIN32_H_
#define BRAMO_PLATFORM_WIN32_SHELL_OPEN_WIN32_H_

#include "platform/shell_open.h"

namespace platform {

class Win32ShellOpen : public ShellOpen {
 public:
  bool ShellExecuteOpen(const std::string& address) override;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_WIN32_SHELL_OPEN_WIN32_H_
