// The rules file on Linux: flock on the lock file, mkstemp and rename.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "tools/rules_file.h"

namespace tools {

RulesFileLock::RulesFileLock(const std::string& rules_path) {
  int fd =
      open((rules_path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  handle_ = fd;
  if (fd < 0) return;
  int rc;
  while ((rc = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
  }
  held_ = rc == 0;
}

RulesFileLock::~RulesFileLock() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
}

bool ReplaceRulesFile(const std::string& path,
                      const std::vector<std::string>& lines) {
  std::string temp = path + ".XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\n";
  bool ok = fchmod(fd, 0644) == 0;
  for (size_t done = 0; ok && done < bytes.size();) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  ok = close(fd) == 0 && ok;
  if (ok && rename(temp.c_str(), path.c_str()) == 0) return true;
  unlink(temp.c_str());
  return false;
}

}  // namespace tools
