#include "platform/posix/plain_http_get.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <strings.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

constexpr uint32_t kDefaultTimeoutMs = 60000;  // as the libcurl path
constexpr int kPollMs = 20;                    // how soon a cancel is seen
constexpr size_t kHeaderLimit = 64 << 10;

struct Target {
  sockaddr_in address = {};
  std::string host;  // the Host header: the URL's host[:port] as written
  std::string path;
};

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  return strncasecmp(text.c_str(), prefix, std::strlen(prefix)) == 0;
}

// Only what needs no name lookup, no escaping and no credentials.
std::optional<Target> ParseUrl(const std::string& url) {
  if (!StartsWithNoCase(url, "http://")) return std::nullopt;
  std::string rest = url.substr(7);
  if (size_t hash = rest.find('#'); hash != std::string::npos) {
    rest.resize(hash);  // the fragment is not sent
  }
  for (unsigned char c : rest) {
    if (c <= ' ' || c >= 0x7f) return std::nullopt;
  }
  size_t slash = rest.find_first_of("/?");
  Target t;
  t.host = rest.substr(0, slash);
  // A query with no path asks for the root: "/?query".
  size_t from = slash == std::string::npos ? rest.size() : slash;
  bool root = from == rest.size() || rest[from] == '?';
  t.path = std::string(root ? 1 : 0, '/') + (rest.c_str() + from);
  std::string address = t.host;
  long port = 80;
  if (size_t colon = t.host.find(':'); colon != std::string::npos) {
    address = t.host.substr(0, colon);
    std::string digits = t.host.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
      return std::nullopt;
    }
    port = std::strtol(digits.c_str(), nullptr, 10);
    if (port < 1 || port > 65535) return std::nullopt;
  }
  // inet_pton takes exactly a.b.c.d in decimal, no shorter forms.
  t.address.sin_family = AF_INET;
  t.address.sin_port = htons(static_cast<uint16_t>(port));
  if (address.find_first_not_of("0123456789.") != std::string::npos ||
      inet_pton(AF_INET, address.c_str(), &t.address.sin_addr) != 1) {
    return std::nullopt;
  }
  return t;
}

// libcurl's names for a proxy of an http:// URL.
bool ProxyInEnvironment() {
  for (const char* name : {"http_proxy", "all_proxy", "ALL_PROXY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

int64_t NowMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// A socket the call owns, closed with it.
class Socket {
 public:
  Socket()
      : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK,
                   IPPROTO_TCP)) {}
  ~Socket() {
    if (fd_ >= 0) close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// Waits for `events` on `fd` until `deadline`, in short slices so that a
// cancel from another thread is seen.  False when time ran out or the call
// was cancelled; true also on a poll error, which the next call reports.
bool WaitFor(int fd, short events, int64_t deadline, HttpCancel* cancel) {
  for (;;) {
    if (cancel != nullptr && cancel->cancelled()) return false;
    int64_t left = deadline - NowMs();
    if (left <= 0) return false;
    pollfd p = {fd, events, 0};
    int n = poll(&p, 1, static_cast<int>(left < kPollMs ? left : kPollMs));
    if (n > 0 || (n < 0 && errno != EINTR)) return true;
  }
}

bool Connect(const Socket& s, const Target& t, int64_t deadline,
             HttpCancel* cancel) {
  int fd = s.fd();
  if (fd < 0) return false;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&t.address),
              sizeof t.address) == 0) {
    return true;
  }
  if (errno != EINPROGRESS) return false;
  if (!WaitFor(fd, POLLOUT, deadline, cancel)) return false;
  int error = 0;
  socklen_t len = sizeof error;
  return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0;
}

bool SendAll(int fd, const std::string& bytes, int64_t deadline,
             HttpCancel* cancel) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n =
        send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      if (!WaitFor(fd, POLLOUT, deadline, cancel)) return false;
    } else {
      return false;
    }
  }
  return true;
}

std::string Trimmed(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

// What the head of an answer says of its body.
struct Head {
  int status = 0;
  bool chunked = false;
  std::optional<uint64_t> length;
};

// nullopt for a head this path leaves to libcurl.
std::optional<Head> ParseHead(const std::string& text) {
  Head head;
  size_t at = 0;
  bool first = true;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    std::string line = text.substr(at, end - at);
    at = end == std::string::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first) {
      first = false;
      // "HTTP/1.x NNN reason"
      if (!StartsWithNoCase(line, "HTTP/1.") || line.size() < 12 ||
          line[8] != ' ' ||
          !std::isdigit(static_cast<unsigned char>(line[9])) ||
          !std::isdigit(static_cast<unsigned char>(line[10])) ||
          !std::isdigit(static_cast<unsigned char>(line[11]))) {
        return std::nullopt;
      }
      head.status =
          static_cast<int>(std::strtol(line.substr(9, 3).c_str(), nullptr, 10));
      if (head.status < 200 || head.status / 100 == 3) return std::nullopt;
      continue;
    }
    if (line.empty()) break;
    size_t colon = line.find(':');
    if (colon == std::string::npos || line[0] == ' ' || line[0] == '\t') {
      return std::nullopt;  // folded or broken: libcurl's to judge
    }
    std::string name = line.substr(0, colon);
    std::string value = Trimmed(line.substr(colon + 1));
    if (strcasecmp(name.c_str(), "Transfer-Encoding") == 0) {
      if (strcasecmp(value.c_str(), "chunked") != 0) return std::nullopt;
      head.chunked = true;
    } else if (strcasecmp(name.c_str(), "Content-Encoding") == 0) {
      if (strcasecmp(value.c_str(), "identity") != 0) return std::nullopt;
    } else if (strcasecmp(name.c_str(), "Content-Length") == 0) {
      if (value.empty() || value.size() > 18 ||
          value.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
      }
      uint64_t n = std::strtoull(value.c_str(), nullptr, 10);
      if (head.length && *head.length != n) return std::nullopt;
      head.length = n;
    }
  }
  if (first) return std::nullopt;
  return head;
}

// Takes the body out of the bytes after the head as they arrive: counted,
// chunked or up to the end of the connection.
class BodyReader {
 public:
  BodyReader(const Head& head, size_t max_bytes, std::string* body)
      : head_(head), max_bytes_(max_bytes), body_(body) {}

  // Feeds more bytes; false when they cannot be a chunked body.
  bool Add(const char* data, size_t n) {
    if (!head_.chunked) {
      uint64_t want = head_.length ? *head_.length - taken_ : n;
      size_t use = n < want ? n : static_cast<size_t>(want);
      taken_ += use;
      Keep(data, use);
      return true;
    }
    raw_.append(data, n);
    return Unchunk();
  }
  // The body is whole, or holds `max_bytes`: nothing more to read.
  bool done() const {
    if (body_->size() >= max_bytes_) return true;
    if (head_.chunked) return state_ == kEnd;
    return head_.length && taken_ == *head_.length;
  }
  // The connection ended: whole only when the body has no stated end.
  bool WholeAtEnd() const {
    return done() || (!head_.chunked && !head_.length);
  }

 private:
  enum State { kSize, kData, kDataEnd, kEnd };

  void Keep(const char* data, size_t n) {
    size_t room = max_bytes_ - body_->size();
    body_->append(data, n < room ? n : room);
  }

  bool Unchunk() {
    for (;;) {
      if (state_ == kEnd) return true;
      if (state_ == kData) {
        size_t use = raw_.size() - at_ < left_ ? raw_.size() - at_
                                               : static_cast<size_t>(left_);
        Keep(raw_.data() + at_, use);
        at_ += use;
        left_ -= use;
        if (left_ > 0) break;
        state_ = kDataEnd;
        continue;
      }
      size_t end = raw_.find('\n', at_);
      if (end == std::string::npos) {
        if (raw_.size() - at_ > 1024) return false;
        break;
      }
      std::string line = raw_.substr(at_, end - at_);
      at_ = end + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (state_ == kDataEnd) {
        if (!line.empty()) return false;
        state_ = kSize;
        continue;
      }
      line = Trimmed(line.substr(0, line.find(';')));
      if (line.empty() || line.size() > 15 ||
          line.find_first_not_of("0123456789abcdefABCDEF") !=
              std::string::npos) {
        return false;
      }
      left_ = std::strtoull(line.c_str(), nullptr, 16);
      state_ = left_ == 0 ? kEnd : kData;  // trailers need not be read
    }
    raw_.erase(0, at_);
    at_ = 0;
    return true;
  }

  const Head head_;
  const size_t max_bytes_;
  std::string* body_;
  uint64_t taken_ = 0;
  std::string raw_;
  size_t at_ = 0;
  State state_ = kSize;
  uint64_t left_ = 0;
};

}  // namespace

std::optional<HttpResult> PlainHttpGet(const std::string& url,
                                       const std::string& agent,
                                       size_t max_bytes, uint32_t timeout_ms,
                                       HttpCancel* cancel, std::string* body,
                                       int* status) {
  std::optional<Target> target = ParseUrl(url);
  if (!target || ProxyInEnvironment()) return std::nullopt;
  body->clear();
  *status = 0;
  // The libcurl path's limits: connecting, then no byte for as long, and
  // with a caller's own time-out twice that for the whole call.
  const uint32_t timeout = timeout_ms ? timeout_ms : kDefaultTimeoutMs;
  const int64_t start = NowMs();
  const int64_t whole = timeout_ms ? start + 2 * int64_t{timeout} : INT64_MAX;
  Socket s;
  if (!Connect(s, *target, start + timeout, cancel)) {
    return HttpResult::kUrlFailed;
  }
  std::string request =
      "GET " + target->path + " HTTP/1.1\r\nHost: " + target->host + "\r\n";
  if (!agent.empty()) request += "User-Agent: " + agent + "\r\n";
  request += "Accept: */*\r\nConnection: close\r\n\r\n";
  if (!SendAll(s.fd(), request, start + timeout, cancel)) {
    return HttpResult::kUrlFailed;
  }
  std::string head_text;
  std::optional<BodyReader> reader;
  bool line_seen = false;  // libcurl has handed over a header line
  auto failed = [&] {
    body->clear();
    return line_seen ? HttpResult::kReadFailed : HttpResult::kUrlFailed;
  };
  char buf[4096];
  for (;;) {
    int64_t deadline = NowMs() + timeout;
    bool ready =
        WaitFor(s.fd(), POLLIN, deadline < whole ? deadline : whole, cancel);
    ssize_t n = ready ? recv(s.fd(), buf, sizeof buf, 0) : -1;
    if (n < 0 && ready && (errno == EAGAIN || errno == EINTR)) continue;
    if (n <= 0) {
      if (n == 0 && reader && reader->WholeAtEnd()) return HttpResult::kOk;
      return failed();
    }
    if (reader) {
      if (!reader->Add(buf, static_cast<size_t>(n))) return failed();
    } else {
      head_text.append(buf, static_cast<size_t>(n));
      line_seen = head_text.find('\n') != std::string::npos;
      size_t end = head_text.find("\r\n\r\n");
      size_t skip = 4;
      if (size_t bare = head_text.find("\n\n"); bare < end) {
        end = bare;
        skip = 2;
      }
      if (end == std::string::npos) {
        if (head_text.size() > kHeaderLimit) return std::nullopt;
        continue;
      }
      std::optional<Head> head = ParseHead(head_text.substr(0, end + skip));
      if (!head) return std::nullopt;
      *status = head->status;
      reader.emplace(*head, max_bytes, body);
      std::string rest = head_text.substr(end + skip);
      if (!reader->Add(rest.data(), rest.size())) return failed();
    }
    if (reader && reader->done()) return HttpResult::kOk;
  }
}

}  // namespace platform
