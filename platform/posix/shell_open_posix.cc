#include "platform/posix/shell_open_posix.h"

#include <cstdlib>

#include "platform/posix/console_text.h"
#include "platform/posix/posix_env.h"
#include "platform/posix/spawn.h"

namespace platform {
namespace {

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace

bool PosixShellOpen::ShellExecuteOpen(const std::string& address) {
  unsigned error = 0;
  std::string opener =
      HasDisplay() ? ResolveProgram("xdg-open", NativeProgramFolder(), &error)
                   : "";
  if (opener.empty()) {
    env_->ConsoleLines({"[open] " + address});
    return true;
  }
  return SpawnDetached(opener, {"xdg-open", address}) == 0;
}

}  // namespace platform
