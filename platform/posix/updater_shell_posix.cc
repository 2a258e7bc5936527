// The updater's shell on Linux: its boxes are the console's, the browser
// is whatever xdg-open starts, and a private folder of the user's (a
// private $TMPDIR, or ~/.cache/bramo) stands for the one logical drive.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/common/native_path.h"
#include "platform/posix/console_text.h"
#include "platform/posix/linux_name.h"
#include "platform/posix/posix_env.h"
#include "platform/posix/spawn.h"

namespace platform {
namespace {

std::string WithSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

// A folder above a private one: root's or ours, and either writable by
// no one else or sticky, so that no one else can rename what it holds.
bool IsSafeAncestor(const std::string& folder) {
  struct stat st;
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if (st.st_uid != 0 && st.st_uid != geteuid()) return false;
  return (st.st_mode & (S_IWGRP | S_IWOTH)) == 0 || (st.st_mode & S_ISVTX);
}

// See Env::IsPrivateFolder; `native` is a Linux path.
bool IsPrivate(std::string native) {
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  struct stat st;
  if (native.empty() || native[0] != '/' || lstat(native.c_str(), &st) != 0 ||
      !S_ISDIR(st.st_mode) || st.st_uid != geteuid() ||
      (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return false;
  }
  // Every folder above it must keep others from renaming it away.
  for (size_t slash = native.rfind('/');
       slash != std::string::npos && slash > 0;
       slash = native.rfind('/', slash - 1)) {
    if (!IsSafeAncestor(native.substr(0, slash))) return false;
  }
  return IsSafeAncestor("/");
}

// Makes `folder` with mode 0700 unless it is there.  True when it is then
// private; one that is there is narrowed to 0700 only when `narrow` (our
// own folder, not the user's ~/.cache).
bool MakePrivateFolder(const std::string& folder, bool narrow) {
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  if (narrow) {
    int fd =
        open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    bool ours =
        fstat(fd, &st) == 0 && st.st_uid == geteuid() && fchmod(fd, 0700) == 0;
    close(fd);
    if (!ours) return false;
  }
  return IsPrivate(folder);
}

// The home folder: $HOME when it is private (a test or a user may point
// it elsewhere), else the account's own, which sudo does not change.
std::string UserHome() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && IsPrivate(home)) return home;
  struct passwd* account = getpwuid(geteuid());
  if (account != nullptr && account->pw_dir != nullptr &&
      IsPrivate(account->pw_dir)) {
    return account->pw_dir;
  }
  return "";
}

}  // namespace

int PosixEnv::ShowMessageBoxW(const std::string& text,
                              const std::string& caption, uint32_t type) {
  return ShowMessageBox(0, text, caption, type);
}

bool PosixEnv::ShellOpenW(const std::string& address) {
  {
    std::lock_guard<std::mutex> lock(console_mu_);
    const std::string line = "[open] " + GbkToUtf8(address) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
  }
  unsigned error = 0;
  std::string opener =
      ResolveProgram("xdg-open", NativeProgramFolder(), &error);
  if (opener.empty()) return false;
  return SpawnDetached(opener, {"xdg-open", address}) == 0;
}

std::string PosixEnv::FirstLogicalDrive() {
  // The updater stores an installer under this root and runs it, as root
  // when it runs as root: a folder another user could write or swap would
  // let that user choose the program.
  // The root is handed to the system's code as its other paths are: GBK.
  const char* tmp = std::getenv("TMPDIR");
  if (tmp != nullptr && IsPrivate(tmp)) return Utf8ToGbk(WithSlash(tmp));
  std::string home = UserHome();
  if (home.empty() || !MakePrivateFolder(home + "/.cache", false) ||
      !MakePrivateFolder(home + "/.cache/bramo", true)) {
    return "";
  }
  return Utf8ToGbk(home + "/.cache/bramo/");
}

bool PosixEnv::IsPrivateFolder(const std::string& path) {
  return IsPrivate(ToLinuxName(path));
}

std::optional<std::string> PosixEnv::EnvironmentVariable(
    const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

}  // namespace platform
