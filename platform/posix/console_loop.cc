#include "platform/posix/console_loop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace platform {
namespace {

// The signal handler only writes to this pipe; the waits watch it.
int g_stop_pipe[2] = {-1, -1};
std::atomic<bool> g_stop_requested{false};
constexpr char kWhyStop = 's';
constexpr char kWhyWake = 'w';

// Touched only by the thread that waits (the user-interface thread).
bool g_input_ended = false;
bool g_end_pending = false;  // a last line came with the end
std::string g_partial;

void Notify(char why) {
  if (g_stop_pipe[1] < 0) return;
  ssize_t ignored = write(g_stop_pipe[1], &why, 1);
  (void)ignored;
}

void OnStopSignal(int) { Notify(kWhyStop); }

bool Readable(int fd) {
  struct pollfd p = {fd, POLLIN, 0};
  return poll(&p, 1, 0) > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR));
}

// Takes what standard input holds now, up to one line's end.  True with
// *line when a line (or, at the end, its last unterminated part) is
// complete; *ended when the input is over.
bool TakeInput(std::string* line, bool* ended) {
  while (Readable(STDIN_FILENO)) {
    char c = 0;
    ssize_t n = read(STDIN_FILENO, &c, 1);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) return false;
      n = 0;  // a broken input ends as the end of input does
    }
    if (n == 0) {
      *ended = true;
      if (g_partial.empty()) return false;
      *line = g_partial;
      g_partial.clear();
      return true;
    }
    if (c == '\n') {
      *line = g_partial;
      g_partial.clear();
      if (!line->empty() && line->back() == '\r') line->pop_back();
      return true;
    }
    g_partial += c;
  }
  return false;
}

}  // namespace

void PrepareConsole() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (pipe2(g_stop_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
      g_stop_pipe[0] = g_stop_pipe[1] = -1;
    }
    std::setvbuf(stdin, nullptr, _IONBF, 0);
  });
}

void CatchStopSignals() {
  struct sigaction sa = {};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

void WakeConsole() { Notify(kWhyWake); }

bool StopRequested() { return g_stop_requested.load(); }

ConsoleEvent WaitConsoleEvent(std::mutex& console_mu, std::string* line) {
  while (true) {
    if (g_stop_requested.load()) return ConsoleEvent::kStop;
    if (g_end_pending) {
      g_end_pending = false;
      return ConsoleEvent::kEndOfInput;
    }
    struct pollfd fds[2] = {{g_stop_pipe[0], POLLIN, 0},
                            {STDIN_FILENO, POLLIN, 0}};
    nfds_t count = g_input_ended ? 1 : 2;
    if (poll(fds, count, -1) < 0) continue;  // EINTR: the pipe tells why
    if (fds[0].revents & POLLIN) {
      bool woken = false;
      char why = 0;
      while (read(g_stop_pipe[0], &why, 1) == 1) {
        if (why == kWhyStop) g_stop_requested = true;
        woken = true;
      }
      if (g_stop_requested.load()) return ConsoleEvent::kStop;
      if (woken) return ConsoleEvent::kWake;
    }
    if (count == 2 && fds[1].revents != 0) {
      std::lock_guard<std::mutex> lock(console_mu);
      bool ended = false;
      bool got = TakeInput(line, &ended);
      if (got) {
        if (ended) {
          g_input_ended = true;
          g_end_pending = true;
        }
        return ConsoleEvent::kLine;
      }
      if (ended) {
        g_input_ended = true;
        return ConsoleEvent::kEndOfInput;
      }
    }
  }
}

}  // namespace platform
