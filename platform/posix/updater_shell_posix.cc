// The updater's shell on Linux: its boxes are the console's, the browser
// is whatever xdg-open starts, and the temporary-files root stands for
// the one logical drive.
#include <cstdlib>
#include <iostream>

#include "platform/posix/console_text.h"
#include "platform/posix/posix_env.h"
#include "platform/posix/spawn.h"

namespace platform {

int PosixEnv::ShowMessageBoxW(const std::string& text,
                              const std::string& caption, uint32_t type) {
  return ShowMessageBox(0, text, caption, type);
}

bool PosixEnv::ShellOpenW(const std::string& address) {
  {
    std::lock_guard<std::mutex> lock(console_mu_);
    std::cout << "[open] " << GbkToUtf8(address) << std::endl;
  }
  unsigned error = 0;
  std::string opener =
      ResolveProgram("xdg-open", NativeProgramFolder(), &error);
  if (opener.empty()) return false;
  return SpawnDetached(opener, {"xdg-open", address}) == 0;
}

std::string PosixEnv::FirstLogicalDrive() {
  const char* tmp = std::getenv("TMPDIR");
  std::string root = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp/";
  if (root.back() != '/') root += '/';
  return root;
}

std::optional<std::string> PosixEnv::EnvironmentVariable(
    const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

}  // namespace platform
