// The keep-alive's GET against a one-connection server of the test's own
// on loopback: what it sends, and that it ends with the answer's framing
// rather than waiting for the connection to close.
#include "tools/fetch_once.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "testing/loopback_socket.h"

namespace tools {
namespace {

// Takes one connection on a loopback port, reads the request up to its
// empty line, answers `reply` and then closes, or, with `hold`, keeps the
// connection until the client closes it.
class OneAnswerServer {
 public:
  OneAnswerServer(std::string reply, bool hold)
      : reply_(std::move(reply)), hold_(hold) {
    int port = 0;
    fd_ = testing_support::ListenOnLoopback(&port);
    port_ = std::to_string(port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~OneAnswerServer() {
    shutdown(fd_, SHUT_RDWR);
    thread_.join();
    close(fd_);
  }
  const std::string& port() const { return port_; }
  // What came before the answer; valid once the fetch has returned.
  const std::string& request() const { return request_; }

 private:
  void Serve() {
    int c = accept(fd_, nullptr, nullptr);
    if (c < 0) return;
    char buf[4096];
    ssize_t n;
    while (request_.find("\r\n\r\n") == std::string::npos &&
           (n = read(c, buf, sizeof buf)) > 0) {
      request_.append(buf, static_cast<size_t>(n));
    }
    if (write(c, reply_.data(), reply_.size()) < 0) reply_.clear();
    // Held: until the client closes, at most 10 s.
    pollfd p{c, POLLIN, 0};
    while (hold_ && poll(&p, 1, 10000) == 1 && read(c, buf, sizeof buf) > 0) {
    }
    close(c);
  }

  std::string reply_;
  bool hold_;
  int fd_ = -1;
  std::string port_;
  std::string request_;
  std::thread thread_;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
      .count();
}

TEST(FetchOnceTest, SendsCurlsRequestLineAndHeadersForEachFormOfAddress) {
  struct Case {
    std::string before_port, after_port;  // the URL around the port
    std::string request_line, host;       // the host header's name part
  };
  const Case cases[] = {
      {"http://127.0.0.1:", "/regist/regist.php", "GET /regist/regist.php",
       "127.0.0.1"},
      {"HTTP://127.0.0.1:", "", "GET /", "127.0.0.1"},
      {"127.0.0.1:", "/a?b=c#part", "GET /a?b=c", "127.0.0.1"},
      {"http://localhost:", "?x=1", "GET /?x=1", "localhost"},
  };
  for (const Case& c : cases) {
    OneAnswerServer server("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n",
                           true);
    std::string url = c.before_port + server.port() + c.after_port, error;
    EXPECT_TRUE(FetchOnce(url, 3000, 5000, &error)) << url << ": " << error;
    EXPECT_EQ(server.request(), c.request_line +
                                    " HTTP/1.1\r\nHost: " + c.host + ":" +
                                    server.port() + "\r\nAccept: */*\r\n\r\n")
        << url;
  }
}

TEST(FetchOnceTest, RefusesAddressesItCannotServeWithoutSendingAnything) {
  for (const std::string form :
       {"https://127.0.0.1:%/", "ftp://127.0.0.1:%/",
        "http://user@127.0.0.1:%/", "http://127.0.0.1:99999/", "http:///x"}) {
    OneAnswerServer server("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n",
                           false);
    std::string url = form, error;
    if (size_t at = url.find('%'); at != std::string::npos) {
      url.replace(at, 1, server.port());
    }
    EXPECT_FALSE(FetchOnce(url, 3000, 5000, &error)) << url;
    EXPECT_FALSE(error.empty()) << url;
    // Unblocks the server, which has seen no request.
    std::string ignored;
    FetchOnce("http://127.0.0.1:" + server.port() + "/", 3000, 5000, &ignored);
    EXPECT_EQ(server.request().rfind("GET / ", 0), 0u) << url;
  }
}

TEST(FetchOnceTest, EndsWhereTheAnswerEndsAndFailsOnACutOrForeignOne) {
  struct Case {
    const char* what;
    std::string reply;
    bool hold;  // the server keeps the connection open after it
    bool whole;
  };
  const Case cases[] = {
      {"length", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", true, true},
      {"chunks",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
       "2;x=y\r\nok\r\n3\r\nabc\r\n0\r\nTrailer: 1\r\n\r\n",
       true, true},
      {"no content", "HTTP/1.1 204 No Content\r\n\r\n", true, true},
      {"interim first",
       "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\n"
       "Content-Length: 1\r\n\r\nx",
       true, true},
      {"error page", "HTTP/1.1 404 Not Found\r\ncontent-length: 3\r\n\r\nno!",
       true, true},
      {"to the close", "HTTP/1.0 200 OK\r\n\r\nthe whole body", false, true},
      {"cut body", "HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\nok", false,
       false},
      {"cut chunks",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
       "10\r\nshort",
       false, false},
      {"cut head", "HTTP/1.1 200 OK\r\nContent-Le", false, false},
      {"no HTTP", "hello\r\n\r\n", false, false},
      {"nothing", "", false, false},
      {"body never ends", "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nok",
       true, false},
  };
  for (const Case& c : cases) {
    OneAnswerServer server(c.reply, c.hold);
    std::string error;
    auto start = std::chrono::steady_clock::now();
    bool whole = FetchOnce("http://127.0.0.1:" + server.port() + "/", 1000,
                           1500, &error);
    EXPECT_EQ(whole, c.whole) << c.what << ": " << error;
    EXPECT_EQ(error.empty(), c.whole) << c.what;
    // A whole answer ends the fetch at once; nothing outlasts the bound.
    EXPECT_LT(SecondsSince(start), c.whole ? 1.0 : 2.5) << c.what;
  }
}

TEST(FetchOnceTest, AClosedPortFailsAtOnce) {
  const int port = testing_support::RefusingLoopbackPort();
  std::string error;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(FetchOnce("http://127.0.0.1:" + std::to_string(port) + "/", 3000,
                         5000, &error));
  EXPECT_EQ(error, "Couldn't connect to server");
  EXPECT_LT(SecondsSince(start), 1.0);
}

}  // namespace
}  // namespace tools
