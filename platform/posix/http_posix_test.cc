// The HTTP calls on Linux against small servers of the test's own on
// loopback.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/posix/posix_env.h"
#include "testing/loopback_socket.h"
#include "testing/temp_folder.h"

namespace platform {
namespace {

// Accepts connections on a loopback port and answers each with `reply`
// (none: it never answers), until stopped.
class TinyServer {
 public:
  explicit TinyServer(std::string reply, bool answer = true)
      : reply_(std::move(reply)), answer_(answer) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(fd_, 8);
    socklen_t len = sizeof addr;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~TinyServer() {
    stop_ = true;
    shutdown(fd_, SHUT_RDWR);
    close(fd_);
    thread_.join();
    for (int c : held_) close(c);
  }
  std::string url(const std::string& path = "/") const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

 private:
  void Serve() {
    while (!stop_) {
      int c = accept(fd_, nullptr, nullptr);
      if (c < 0) return;
      char buf[4096];
      ssize_t ignored = read(c, buf, sizeof buf);
      (void)ignored;
      if (!answer_) {
        held_.push_back(c);
        continue;
      }
      size_t done = 0;
      while (done < reply_.size()) {
        ssize_t n = write(c, reply_.data() + done, reply_.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
      }
      close(c);
    }
  }
  std::string reply_;
  bool answer_;
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::vector<int> held_;
  std::thread thread_;
};

std::string Response(const std::string& status, const std::string& body) {
  return "HTTP/1.1 " + status +
         "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

TEST(HttpGetTest, BodiesAreCutToTheLimitWhateverTheStatusWhichIsTold) {
  TinyServer big(Response("200 OK", std::string(3000, 'x')));
  PosixEnv env;
  std::string body;
  int status = -1;
  HttpOptions options;
  options.status = &status;
  EXPECT_EQ(env.HttpGet(big.url(), "DadoRE/1.0", 1023, &body, options),
            HttpResult::kOk);
  EXPECT_EQ(body, std::string(1023, 'x'));
  EXPECT_EQ(status, 200);
  TinyServer missing(Response("404 Not Found", "no such page\r\n"));
  EXPECT_EQ(env.HttpGet(missing.url(), "DadoRE/1.0", 1023, &body, options),
            HttpResult::kOk);
  EXPECT_EQ(body, "no such page\r\n");
  EXPECT_EQ(status, 404);
  TinyServer failing(Response("500 Internal Server Error", "oops"));
  EXPECT_EQ(env.HttpGet(failing.url(), "DadoRE/1.0", 1023, &body, options),
            HttpResult::kOk);
  EXPECT_EQ(status, 500);
}

// However the answer frames its body, the caller gets the same bytes; an
// answer that breaks off is a failed read, a redirect is followed.
TEST(HttpGetTest, EveryFramingOfTheBodyGivesTheSameText) {
  TinyServer target(Response("200 OK", "moved here"));
  struct Case {
    const char* name;
    std::string reply;
    HttpResult result;
    std::string body;
    int status;
  } cases[] = {
      {"counted", Response("200 OK", "hello world"), HttpResult::kOk,
       "hello world", 200},
      {"counted, more sent",
       "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello world",
       HttpResult::kOk, "hello", 200},
      {"chunked",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
       "5\r\nhello\r\n6;x=1\r\n world\r\n0\r\n\r\n",
       HttpResult::kOk, "hello world", 200},
      {"to the end", "HTTP/1.0 200 OK\r\n\r\nhello world", HttpResult::kOk,
       "hello world", 200},
      {"bare line ends", "HTTP/1.1 404 Not Found\nContent-Length: 2\n\nno",
       HttpResult::kOk, "no", 404},
      {"counted, cut short",
       "HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nhello",
       HttpResult::kReadFailed, "", 200},
      {"chunked, cut short",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
       "5\r\nhello\r\n",
       HttpResult::kReadFailed, "", 200},
      {"redirected",
       "HTTP/1.1 302 Found\r\nLocation: " + target.url("/there") +
           "\r\nContent-Length: 0\r\n\r\n",
       HttpResult::kOk, "moved here", 200},
      {"not HTTP", "hello world\r\n\r\n", HttpResult::kUrlFailed, "", 0},
  };
  PosixEnv env;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TinyServer server(c.reply);
    std::string body = "old";
    int status = -1;
    HttpOptions options;
    options.status = &status;
    EXPECT_EQ(env.HttpGet(server.url("/page?x=1"), "DadoRE/1.0", 1023, &body,
                          options),
              c.result);
    EXPECT_EQ(body, c.body);
    EXPECT_EQ(status, c.status);
  }
}

TEST(HttpGetTest, ARefusedPortIsAnUrlFailure) {
  const int port = testing_support::RefusingLoopbackPort();
  PosixEnv env;
  std::string body = "old";
  int status = -1;
  HttpOptions options;
  options.status = &status;
  EXPECT_EQ(env.HttpGet("http://127.0.0.1:" + std::to_string(port) + "/", "a",
                        1023, &body, options),
            HttpResult::kUrlFailed);
  EXPECT_EQ(body, "");
  EXPECT_EQ(status, 0);  // no answer, no status
}

TEST(HttpGetTest, ASilentServerTimesOutAndCanBeCancelled) {
  TinyServer silent("", false);
  PosixEnv env;
  std::string body;
  HttpOptions quick;
  quick.timeout_ms = 300;
  EXPECT_EQ(env.HttpGet(silent.url(), "a", 1023, &body, quick),
            HttpResult::kUrlFailed);

  HttpCancel cancel;
  HttpOptions options;
  options.cancel = &cancel;  // default time-outs: only the cancel ends it
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    cancel.Cancel();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(env.HttpGet(silent.url(), "a", 1023, &body, options),
            HttpResult::kUrlFailed);
  // Ended by the cancel, not by the minute-long time-out.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  canceller.join();
  // A cancelled token fails the next call at once.
  EXPECT_EQ(env.HttpGet(silent.url(), "a", 1023, &body, options),
            HttpResult::kUrlFailed);
}

TEST(DownloadTest, OnlyA2xxAnswerIsStored) {
  testing_support::TempFolder dir;
  PosixEnv env;
  TinyServer good(Response("200 OK", "MZ installer"));
  std::string path = dir.windows_path() + "setup.exe";
  EXPECT_TRUE(env.DownloadToFile(good.url("/setup.exe"), path, 12, {}));
  EXPECT_EQ(dir.Read("setup.exe"), "MZ installer");
  // A downloaded installer must be runnable, as it is on Windows.
  EXPECT_EQ(access((dir.path() + "setup.exe").c_str(), X_OK), 0);
  TinyServer missing(Response("404 Not Found", "<html>404</html>"));
  std::string other = dir.windows_path() + "other.exe";
  EXPECT_FALSE(env.DownloadToFile(missing.url("/setup.exe"), other, 1000, {}));
  EXPECT_FALSE(dir.Exists("other.exe"));
  EXPECT_FALSE(dir.Exists("other.exe.download"));
  EXPECT_FALSE(env.DownloadToFile(
      good.url(), dir.windows_path() + "no\\folder.exe", 1000, {}));
  // One byte over the limit: given up, nothing left behind.
  EXPECT_FALSE(env.DownloadToFile(good.url("/setup.exe"), other, 11, {}));
  EXPECT_FALSE(dir.Exists("other.exe"));
  EXPECT_FALSE(dir.Exists("other.exe.download"));
}

}  // namespace
}  // namespace platform
