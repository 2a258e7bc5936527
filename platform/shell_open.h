// Opening an address with the program the desktop associates with it.
#ifndef BRAMO_PLATFORM_SHELL_OPEN_H_
#define BRAMO_PLATFORM_SHELL_OPEN_H_

#include <string>

namespace platform {

class ShellOpen {
 public:
  virtual ~ShellOpen() = default;

  // ShellExecuteA(no window, no verb, `address`, no parameters, no
  // folder, SW_SHOW).  True when something was started.  On Linux:
  // xdg-open when the machine has it and a display is there; otherwise
  // the console line "[open] ADDRESS" (true).
  virtual bool ShellExecuteOpen(const std::string& address) = 0;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_SHELL_OPEN_H_
