// PosixEnv::RunCommandCaptured: a pipe and posix_spawn, no shell.
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "platform/common/command_line.h"
#include "platform/common/native_path.h"
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

// Reads `fd` to its end, retrying interrupted reads.
void ReadAll(int fd, std::string* output) {
  char chunk[4096];
  for (;;) {
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n > 0) {
      output->append(chunk, static_cast<size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return;
    }
  }
}

}  // namespace

int PosixEnv::RunCommandCaptured(const std::string& command_line,
                                 std::string* output, int* exit_code,
                                 uint32_t* error) {
  StopPoint();
  output->clear();
  std::vector<std::string> words = SplitCommandLine(command_line);
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
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  // Close-on-exec, so no other child ever holds the pipe; the child's own
  // copies are made by dup2, which clears the flag.
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return 2;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  pid_t child = 0;
  int err = posix_spawn(&child, path.c_str(), &actions, nullptr, argv.data(),
                        environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (err != 0) {
    close(fds[0]);
    *error = err == ENOENT ? 2 : (err == EACCES ? 5 : 193);
    return 3;
  }
  // Drained while the child runs: a child with more to say than the pipe
  // holds would otherwise never end.
  ReadAll(fds[0], output);
  close(fds[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return 4;
  }
  *exit_code = WIFEXITED(status) ? WEXITSTATUS(status)
                                 : 128 + WTERMSIG(status);
  return 0;
}

}  // namespace platform
