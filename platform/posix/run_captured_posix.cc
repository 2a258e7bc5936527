// PosixEnv::RunCommandCaptured: two pipes and posix_spawn, no shell.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/common/command_line.h"
#include "platform/common/native_path.h"
#include "platform/posix/linux_name.h"
#include "platform/posix/posix_env.h"
#include "platform/posix/spawn.h"
#include "platform/thread_stop.h"

extern char** environ;

namespace platform {
namespace {

// Windows paths of this machine among the arguments ("\tmp\x\file", or
// curl's "@\tmp\x\file") become Linux paths; every other word is left as
// it stands.
std::string NativeArgument(const std::string& word) {
  if (!word.empty() && word[0] == '\\') return ToNativePath(word);
  if (word.size() > 1 && word[0] == '@' && word[1] == '\\') {
    return "@" + ToNativePath(word.substr(1));
  }
  return word;
}

// Milliseconds of the monotonic clock (<chrono> holds a text that GBK,
// our execution character set, lacks).
int64_t NowMs() {
  struct timespec now = {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// How a read of the child's pipes ended.
enum class ReadEnd { kDone, kTimeOut, kStopped };

// The largest slice a bounded read waits in poll before it looks at the
// clock and the thread's stop token again.
constexpr int kSliceMs = 50;

// Reads both pipes to their ends, whichever has something, so that a
// child filling one of them while we wait on the other never stalls.
// With a `deadline_ms`, stops reading when it passes or the calling thread is
// stopped, and says which.
ReadEnd ReadBoth(int out_fd, int err_fd, std::string* output,
                 std::string* errors, std::optional<int64_t> deadline_ms) {
  struct pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {output, errors};
  HttpCancel* stop = deadline_ms ? CurrentThreadStop() : nullptr;
  int open_count = 2;
  char chunk[4096];
  while (open_count > 0) {
    int wait_ms = -1;
    if (deadline_ms) {
      if (stop != nullptr && stop->cancelled()) return ReadEnd::kStopped;
      const int64_t left = *deadline_ms - NowMs();
      if (left <= 0) return ReadEnd::kTimeOut;
      wait_ms = static_cast<int>(std::min<int64_t>(left, kSliceMs));
    }
    if (poll(fds, 2, wait_ms) < 0) {
      if (errno == EINTR) continue;
      return ReadEnd::kDone;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
      if (n > 0) {
        sinks[i]->append(chunk, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        fds[i].fd = -1;  // poll skips it from now on
        --open_count;
      }
    }
  }
  return ReadEnd::kDone;
}

// Waits for the child to end; false when waiting fails.
bool Reap(pid_t child, int* status) {
  while (waitpid(child, status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// After its pipes closed, a bounded run still waits for the child only
// until the deadline: one that closes them and goes on is ended too.
ReadEnd AwaitExit(pid_t child, int64_t deadline_ms, int* status, bool* reaped) {
  HttpCancel* stop = CurrentThreadStop();
  for (;;) {
    const pid_t got = waitpid(child, status, WNOHANG);
    if (got == child || (got < 0 && errno != EINTR)) {
      *reaped = got == child;
      return ReadEnd::kDone;
    }
    if (stop != nullptr && stop->cancelled()) return ReadEnd::kStopped;
    if (NowMs() >= deadline_ms) return ReadEnd::kTimeOut;
    const struct timespec pause = {0, 5000000L};  // 5 ms
    nanosleep(&pause, nullptr);
  }
}

int RunCaptured(const std::string& command_line,
                std::optional<uint32_t> limit_ms, std::string* output,
                std::string* errors, int* exit_code, uint32_t* error) {
  StopPoint();
  output->clear();
  errors->clear();
  std::vector<std::string> words = SplitCommandLine(ToLinuxText(command_line));
  if (words.empty()) {
    *error = 2;
    return 3;
  }
  unsigned win_error = 2;
  std::string path =
      ResolveProgram(words[0], NativeProgramFolder(), &win_error);
  if (path.empty()) {
    *error = win_error;
    return 3;
  }
  words[0] = ToNativePath(words[0]);
  for (size_t i = 1; i < words.size(); ++i) words[i] = NativeArgument(words[i]);
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  // Close-on-exec, so no other child ever holds a pipe; the child's own
  // copies are made by dup2, which clears the flag.
  int out[2];
  int err_pipe[2];
  if (pipe2(out, O_CLOEXEC) != 0) return 2;
  if (pipe2(err_pipe, O_CLOEXEC) != 0) {
    close(out[0]);
    close(out[1]);
    return 2;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
  pid_t child = 0;
  int err = posix_spawn(&child, path.c_str(), &actions, nullptr, argv.data(),
                        environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err_pipe[1]);
  if (err != 0) {
    close(out[0]);
    close(err_pipe[0]);
    *error = err == ENOENT ? 2 : (err == EACCES ? 5 : 193);
    return 3;
  }
  std::optional<int64_t> deadline;
  if (limit_ms) deadline = NowMs() + *limit_ms;
  // Drained while the child runs: a child with more to say than a pipe
  // holds would otherwise never end.
  ReadEnd end = ReadBoth(out[0], err_pipe[0], output, errors, deadline);
  close(out[0]);
  close(err_pipe[0]);
  int status = 0;
  bool reaped = false;
  if (end == ReadEnd::kDone && deadline) {
    end = AwaitExit(child, *deadline, &status, &reaped);
  }
  if (end != ReadEnd::kDone) {
    kill(child, SIGKILL);  // our own child, by its id: nothing else
    reaped = Reap(child, &status);
  } else if (!deadline) {
    reaped = Reap(child, &status);
  }
  if (end == ReadEnd::kStopped) throw ThreadStopped();
  if (end == ReadEnd::kTimeOut) return 5;
  if (!reaped) return 4;
  *exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return 0;
}

}  // namespace

int PosixEnv::RunCommandCaptured(const std::string& command_line,
                                 std::string* output, std::string* errors,
                                 int* exit_code, uint32_t* error) {
  return RunCaptured(command_line, std::nullopt, output, errors, exit_code,
                     error);
}

int PosixEnv::RunCommandCapturedFor(const std::string& command_line,
                                    uint32_t limit_ms, std::string* output,
                                    std::string* errors, int* exit_code,
                                    uint32_t* error) {
  return RunCaptured(command_line, limit_ms, output, errors, exit_code, error);
}

}  // namespace platform
