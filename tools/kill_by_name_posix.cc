// Processes of the installation on Linux: /proc's program and current
// folder links, ended with SIGKILL.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>

#include "tools/kill_by_name.h"

namespace tools {
namespace {

std::string Link(const std::string& path) {
  char buf[4096];
  ssize_t n = readlink(path.c_str(), buf, sizeof buf);
  if (n <= 0 || static_cast<size_t>(n) == sizeof buf) return "";
  std::string text(buf, static_cast<size_t>(n));
  const std::string deleted = " (deleted)";
  if (text.size() > deleted.size() &&
      text.compare(text.size() - deleted.size(), deleted.size(), deleted) ==
          0) {
    text.resize(text.size() - deleted.size());
  }
  return text;
}

bool Inside(const std::string& path, const std::string& folder) {
  return !path.empty() && path.compare(0, folder.size(), folder) == 0;
}

}  // namespace

const char kFolderSeparators[] = "/";

bool FileExists(const std::string& path) {
  return access(path.c_str(), F_OK) == 0;
}

std::string OwnProgramPath() { return Link("/proc/self/exe"); }

std::vector<ProcessId> FindInstallationProcesses(const std::string& folder,
                                                 const std::string& name) {
  std::vector<ProcessId> found;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return found;
  const pid_t self = getpid();
  while (struct dirent* entry = readdir(proc)) {
    char* end = nullptr;
    long pid = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0' || pid <= 1 || pid == self) {
      continue;
    }
    std::string base = "/proc/" + std::string(entry->d_name);
    std::string exe = Link(base + "/exe");
    if (exe.empty()) continue;
    std::string exe_name = exe.substr(exe.rfind('/') + 1);
    if (!NameMatches(exe_name, name)) continue;
    if (Inside(exe, folder) || Inside(Link(base + "/cwd") + "/", folder)) {
      found.push_back(pid);
    }
  }
  closedir(proc);
  return found;
}

void RecordRun(int argc, char** argv) {
  const char* log = std::getenv("BRAMO_TOOL_LOG");
  if (log == nullptr || *log == '\0') return;
  std::string line = std::to_string(getpid());
  for (int i = 0; i < argc; ++i) line += std::string(" ") + argv[i];
  line += '\n';
  int fd = open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  ssize_t ignored = write(fd, line.data(), line.size());
  (void)ignored;
  close(fd);
}

int EndProcesses(const std::vector<ProcessId>& pids) {
  int ended = 0;
  for (ProcessId pid : pids) {
    if (kill(static_cast<pid_t>(pid), SIGKILL) == 0) ++ended;
  }
  return ended;
}

}  // namespace tools
