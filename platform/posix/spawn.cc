#include "platform/posix/spawn.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <strings.h>
#include <sys/epoll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <system_error>
#include <thread>

#include "platform/common/command_line.h"
#include "platform/common/native_path.h"
#include "platform/common/shell_verbs.h"

extern char** environ;

namespace platform {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         access(path.c_str(), X_OK) == 0;
}

bool EndsWithExe(const std::string& name) {
  return name.size() > 4 &&
         strcasecmp(name.c_str() + name.size() - 4, ".exe") == 0;
}

bool HasExtension(const std::string& name) {
  size_t slash = name.rfind('/');
  size_t dot = name.rfind('.');
  return dot != std::string::npos &&
         (slash == std::string::npos || dot > slash);
}

std::string TryForms(const std::string& path) {
  if (IsExecutableFile(path)) return path;
  if (EndsWithExe(path)) {
    std::string bare = path.substr(0, path.size() - 4);
    if (IsExecutableFile(bare)) return bare;
  } else if (!HasExtension(path)) {
    if (IsExecutableFile(path + ".exe")) return path + ".exe";
  }
  return "";
}

bool IsCommandInterpreter(const std::string& word) {
  return strcasecmp(word.c_str(), "cmd") == 0 ||
         strcasecmp(word.c_str(), "cmd.exe") == 0;
}

// The text after "cmd /c": the command interpreter takes it as it stands.
bool CommandAfterSlashC(const std::string& line, std::string* rest) {
  std::vector<std::string> words = SplitShellWords(line);
  if (words.size() < 2 || !IsCommandInterpreter(words[0]) ||
      strcasecmp(words[1].c_str(), "/c") != 0) {
    return false;
  }
  size_t at = line.find(words[1]);
  *rest = line.substr(at + 2);
  size_t start = rest->find_first_not_of(" \t");
  *rest = start == std::string::npos ? "" : rest->substr(start);
  return true;
}

std::vector<char*> ArgumentVector(const std::vector<std::string>& words) {
  std::vector<char*> args;
  args.reserve(words.size() + 1);
  for (const std::string& w : words)
    args.push_back(const_cast<char*>(w.c_str()));
  args.push_back(nullptr);
  return args;
}

// A detached program is our child, but never waited for by the caller:
// it is reaped when it ends, so it never stays a zombie (and the waits of
// PosixSystem and RunCommandCaptured for their own children are left
// alone).  One thread watches every such child through its pidfd in an
// epoll set, which the starting thread adds to itself: the reaper wakes
// only when a child ends.  The monitor starts two programs a minute, and
// a thread for each, or a wake-up for each start, would cost more than
// the start itself.
class Reaper {
 public:
  // The one reaper, started with the first detached child; it runs until
  // the process ends.  nullptr when its thread or descriptors cannot be
  // had.
  static Reaper* Get() {
    static Reaper* reaper = Start();
    return reaper;
  }

  // False when `child` cannot be watched (no pidfd).
  bool Watch(pid_t child) {
    int pidfd = static_cast<int>(syscall(SYS_pidfd_open, child, 0));
    if (pidfd < 0) return false;
    epoll_event event = {};
    event.events = EPOLLIN;
    event.data.u64 =
        (static_cast<uint64_t>(child) << 32) | static_cast<uint32_t>(pidfd);
    if (epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, pidfd, &event) != 0) {
      close(pidfd);
      return false;
    }
    return true;
  }

 private:
  explicit Reaper(int epoll_fd) : epoll_fd_(epoll_fd) {}

  static Reaper* Start() {
    int epoll_fd = epoll_create1(EPOLL_CLOEXEC);
    if (epoll_fd < 0) return nullptr;
    auto* reaper = new Reaper(epoll_fd);
    try {
      std::thread([reaper] { reaper->Run(); }).detach();
    } catch (const std::system_error&) {
      close(epoll_fd);
      delete reaper;
      return nullptr;
    }
    return reaper;
  }

  void Run() {
    epoll_event ended[8];
    for (;;) {
      int n = epoll_wait(epoll_fd_, ended, 8, -1);
      for (int i = 0; i < n; ++i) {
        const auto child = static_cast<pid_t>(ended[i].data.u64 >> 32);
        const auto pidfd = static_cast<int>(ended[i].data.u64 & 0xffffffffu);
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
        close(pidfd);  // which leaves the set with it
      }
    }
  }

  const int epoll_fd_;
};

// Without a pidfd (kernels before 5.3), a thread of its own waits for it.
void ReapWhenEnded(pid_t child) {
  if (Reaper* reaper = Reaper::Get();
      reaper != nullptr && reaper->Watch(child)) {
    return;
  }
  try {
    std::thread([child] {
      while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to be had: the program runs all the same, and stays a
    // zombie once ended rather than failing a start that succeeded.
  }
}

}  // namespace

std::string NativeProgramFolder() {
  // Read once, as Windows keeps the path a program was started from: the
  // monitor starts programs every minute and need not ask /proc each time.
  static const std::string folder = [] {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return std::string("./");
    std::string path(buf, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
  }();
  return folder;
}

std::string ResolveProgram(const std::string& word,
                           const std::string& own_folder, unsigned* win_error) {
  *win_error = 2;
  if (word.empty()) return "";
  std::string native = ToNativePath(word);
  if (native.find('/') != std::string::npos) {
    std::string folder = native.substr(0, native.rfind('/') + 1);
    struct stat st;
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      *win_error = 3;
    }
    return TryForms(native);
  }
  std::vector<std::string> folders = {own_folder, "./"};
  if (const char* path = std::getenv("PATH")) {
    std::string all = path;
    size_t start = 0;
    while (start <= all.size()) {
      size_t colon = all.find(':', start);
      if (colon == std::string::npos) colon = all.size();
      std::string dir = all.substr(start, colon - start);
      if (!dir.empty()) folders.push_back(dir + "/");
      start = colon + 1;
    }
  }
  for (const std::string& folder : folders) {
    std::string found = TryForms(folder + native);
    if (!found.empty()) return found;
  }
  return "";
}

int SpawnDetached(const std::string& path,
                  const std::vector<std::string>& argv) {
  // posix_spawn starts the program without copying the caller (glibc's
  // clone with CLONE_VFORK), and it reports a failed exec itself.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDWR, 0);
  posix_spawn_file_actions_adddup2(&actions, 0, 1);
  posix_spawn_file_actions_adddup2(&actions, 0, 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int sig : {SIGINT, SIGTERM, SIGPIPE, SIGCHLD}) sigaddset(&defaults, sig);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID |
                                            POSIX_SPAWN_SETSIGMASK |
                                            POSIX_SPAWN_SETSIGDEF);
  std::vector<char*> args = ArgumentVector(argv);
  pid_t child = 0;
  int err = posix_spawn(&child, path.c_str(), &actions, &attributes,
                        args.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (err == 0) ReapWhenEnded(child);
  return err;
}

unsigned PosixWinExec(const std::string& command_line,
                      const std::string& own_folder) {
  std::string line = command_line;
  std::string rest;
  if (CommandAfterSlashC(line, &rest)) {
    if (RunShellVerb(rest)) return 33;
    line = rest;  // "cmd /c program ..." starts the program
  }
  std::vector<std::string> words = SplitCommandLine(line);
  if (words.empty()) return 2;
  unsigned win_error = 2;
  std::string path = ResolveProgram(words[0], own_folder, &win_error);
  if (path.empty()) return win_error;
  words[0] = ToNativePath(words[0]);
  int err = SpawnDetached(path, words);
  if (err == 0) return 33;
  if (err == ENOEXEC) return 11;
  if (err == ENOENT) return 2;
  return 0;
}

}  // namespace platform

namespace platform {

int PosixSystem(const std::string& command, const std::string& own_folder) {
  if (std::optional<int> status = RunShellVerb(command)) return *status;
  std::vector<std::string> words = SplitCommandLine(command);
  if (words.empty()) return 0;
  unsigned win_error = 2;
  std::string path = ResolveProgram(words[0], own_folder, &win_error);
  if (path.empty()) return 9009;
  words[0] = ToNativePath(words[0]);
  std::vector<char*> args = ArgumentVector(words);
  pid_t child = 0;
  int err =
      posix_spawn(&child, path.c_str(), nullptr, nullptr, args.data(), environ);
  if (err != 0) return 127;  // as a shell reports a program it cannot run
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + WTERMSIG(status);
}

}  // namespace platform
