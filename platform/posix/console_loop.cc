#include "platform/posix/console_loop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <thread>

namespace platform {
namespace {

// The signal handler only writes to these pipes and sets the flag: the
// waits of the loop watch the first, the signal watcher the second.
int g_stop_pipe[2] = {-1, -1};
int g_signal_pipe[2] = {-1, -1};
std::atomic<bool> g_stop_requested{false};

// The token a stop signal cancels (StopSignalCancels); the watcher thread
// cancels it, since a handler may not take a lock.
std::mutex g_cancel_mu;
HttpCancel* g_cancel = nullptr;
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

void OnStopSignal(int) {
  const int saved = errno;
  g_stop_requested = true;
  Notify(kWhyStop);
  if (g_signal_pipe[1] >= 0) {
    ssize_t ignored = write(g_signal_pipe[1], &kWhyStop, 1);
    (void)ignored;
  }
  errno = saved;
}

void WatchStopSignals() {
  while (true) {
    char why = 0;
    ssize_t n = read(g_signal_pipe[0], &why, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    std::lock_guard<std::mutex> lock(g_cancel_mu);
    if (g_cancel != nullptr) g_cancel->Cancel();
  }
}

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
  static std::once_flag once;
  std::call_once(once, [] {
    // The watcher blocks on its end; the handler's end never blocks.
    if (pipe2(g_signal_pipe, O_CLOEXEC) == 0 &&
        fcntl(g_signal_pipe[1], F_SETFL, O_NONBLOCK) == 0) {
      std::thread(WatchStopSignals).detach();
    } else {
      g_signal_pipe[0] = g_signal_pipe[1] = -1;
    }
    struct sigaction sa = {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    // SIGHUP too: a closed terminal must not leave the web server and the
    // router mappings behind.
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &sa, nullptr);
  });
}

StopSignalCancels::StopSignalCancels(HttpCancel* token) {
  std::lock_guard<std::mutex> lock(g_cancel_mu);
  previous_ = g_cancel;
  g_cancel = token;
  if (g_stop_requested.load()) token->Cancel();
}

StopSignalCancels::~StopSignalCancels() {
  std::lock_guard<std::mutex> lock(g_cancel_mu);
  g_cancel = previous_;
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
