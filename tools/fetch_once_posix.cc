// The request over a plain socket, with the request line and headers curl
// sends (Host and Accept alone) and the answer read to its end by its
// framing.  The keep-alive starts every minute, so it carries no HTTP
// library: a start costs little more than the start of any program.
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "tools/fetch_once.h"
#include "tools/http_answer.h"
#include "tools/http_url.h"

namespace tools {
namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                  deadline - Clock::now())
                  .count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for `events` on `fd` until the deadline; false when it passed.
bool Await(int fd, short events, Clock::time_point deadline) {
  pollfd p{fd, events, 0};
  int n;
  while ((n = poll(&p, 1, MsLeft(deadline))) < 0 && errno == EINTR) {
  }
  return n == 1;
}

struct Lookup {
  std::mutex mu;
  std::condition_variable done_cv;
  bool done = false;
  int code = 0;
  addrinfo* result = nullptr;
};

// getaddrinfo has no time-out of its own, so it runs on a thread of its
// own; when time runs out that thread is left to finish by itself.
addrinfo* Resolve(const HttpUrl& url, Clock::time_point deadline,
                  std::string* error) {
  auto lookup = std::make_shared<Lookup>();
  std::thread([lookup, host = url.host, port = url.port] {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    int code = getaddrinfo(host.c_str(), port.c_str(), &hints, &result);
    std::lock_guard<std::mutex> lock(lookup->mu);
    lookup->done = true;
    lookup->code = code;
    lookup->result = code == 0 ? result : nullptr;
    lookup->done_cv.notify_one();
  }).detach();
  std::unique_lock<std::mutex> lock(lookup->mu);
  if (!lookup->done_cv.wait_until(lock, deadline,
                                  [&] { return lookup->done; })) {
    *error = "Resolving timed out";
    return nullptr;
  }
  if (lookup->code != 0) {
    *error = "Couldn't resolve host name";
    return nullptr;
  }
  return std::exchange(lookup->result, nullptr);
}

// The first address of the list that takes the connection, as a
// non-blocking socket; -1 when none did before the deadline.
int Connect(const addrinfo* list, Clock::time_point deadline,
            std::string* error) {
  for (const addrinfo* a = list; a != nullptr; a = a->ai_next) {
    int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                    a->ai_protocol);
    if (fd < 0) continue;
    int failure = 0;
    socklen_t size = sizeof failure;
    if (connect(fd, a->ai_addr, a->ai_addrlen) == 0 ||
        (errno == EINPROGRESS && Await(fd, POLLOUT, deadline) &&
         getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &size) == 0 &&
         failure == 0)) {
      return fd;
    }
    close(fd);
  }
  *error = MsLeft(deadline) == 0 ? "Connection timed out"
                                 : "Couldn't connect to server";
  return -1;
}

bool Send(int fd, const std::string& bytes, Clock::time_point deadline,
          std::string* error) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n =
        send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      *error = "Failed sending data to the peer";
      return false;
    } else if (!Await(fd, POLLOUT, deadline)) {
      *error = "Operation timed out";
      return false;
    }
  }
  return true;
}

ReadMore Receiver(int fd, Clock::time_point deadline) {
  return [fd, deadline](std::string* bytes, std::string* error) {
    for (;;) {
      char buffer[16384];
      ssize_t n = recv(fd, buffer, sizeof buffer, 0);
      if (n > 0) {
        bytes->append(buffer, static_cast<size_t>(n));
        return true;
      }
      if (n == 0) return false;  // the end of the stream
      if (errno != EAGAIN && errno != EINTR) {
        *error = "Failure when receiving data from the peer";
        return false;
      }
      if (!Await(fd, POLLIN, deadline)) {
        *error = "Operation timed out";
        return false;
      }
    }
  };
}

}  // namespace

bool FetchOnce(const std::string& url, long connect_ms, long total_ms,
               std::string* error) {
  const Clock::time_point start = Clock::now();
  const Clock::time_point done_by = start + std::chrono::milliseconds(total_ms);
  const Clock::time_point connected_by =
      std::min(done_by, start + std::chrono::milliseconds(connect_ms));
  std::optional<HttpUrl> parts = ParseHttpUrl(url, error);
  if (!parts) return false;
  addrinfo* addresses = Resolve(*parts, connected_by, error);
  if (addresses == nullptr) return false;
  int fd = Connect(addresses, connected_by, error);
  freeaddrinfo(addresses);
  if (fd < 0) return false;
  const std::string request = "GET " + parts->target +
                              " HTTP/1.1\r\nHost: " + parts->host_header +
                              "\r\nAccept: */*\r\n\r\n";
  bool ok = Send(fd, request, done_by, error) &&
            ReadWholeAnswer(Receiver(fd, done_by), error);
  close(fd);
  return ok;
}

}  // namespace tools
