// The download through WinINet against a small server of the test's own on
// loopback: only a whole 2xx answer is stored.
// winsock2.h must come before windows.h.
#include <winsock2.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "platform/win32/win32_env.h"
#include "testing/temp_folder.h"

namespace platform {
namespace {

// Answers every connection on a loopback port with `reply`, then closes
// it, until destroyed.
class TinyServer {
 public:
  explicit TinyServer(std::string reply) : reply_(std::move(reply)) {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(socket_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(socket_, 8);
    int len = sizeof addr;
    getsockname(socket_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~TinyServer() {
    closesocket(socket_);  // ends the accept under way
    thread_.join();
    WSACleanup();
  }
  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

 private:
  void Serve() {
    for (;;) {
      SOCKET c = accept(socket_, nullptr, nullptr);
      if (c == INVALID_SOCKET) return;
      std::string request;
      char buf[4096];
      int n;
      while (request.find("\r\n\r\n") == std::string::npos &&
             (n = recv(c, buf, sizeof buf, 0)) > 0) {
        request.append(buf, n);
      }
      send(c, reply_.data(), static_cast<int>(reply_.size()), 0);
      shutdown(c, SD_BOTH);
      closesocket(c);
    }
  }
  std::string reply_;
  SOCKET socket_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread thread_;
};

std::string Response(const std::string& status, const std::string& body,
                     size_t announced) {
  return "HTTP/1.1 " + status +
         "\r\nContent-Length: " + std::to_string(announced) +
         "\r\nConnection: close\r\n\r\n" + body;
}

TEST(Win32DownloadTest, OnlyAWhole2xxAnswerIsStored) {
  testing_support::TempFolder dir;
  Win32Env env;
  const std::string path = dir.windows_path() + "setup.exe";
  {
    TinyServer good(Response("200 OK", "MZ installer", 12));
    EXPECT_TRUE(env.DownloadToFile(good.url("/setup.exe"), path, 1000, {}));
    EXPECT_EQ(dir.Read("setup.exe"), "MZ installer");
  }
  struct {
    const char* what;
    std::string reply;
  } failures[] = {
      {"404 with a body", Response("404 Not Found", "<html>404</html>", 16)},
      {"500", Response("500 Internal Server Error", "", 0)},
      {"body broken off", Response("200 OK", "MZ inst", 12)},
  };
  for (const auto& f : failures) {
    SCOPED_TRACE(f.what);
    TinyServer server(f.reply);
    const std::string other = dir.windows_path() + "other.exe";
    EXPECT_FALSE(env.DownloadToFile(server.url("/setup.exe"), other, 1000, {}));
    EXPECT_FALSE(dir.Exists("other.exe"));
    EXPECT_FALSE(dir.Exists("other.exe.download"));
  }
}

}  // namespace
}  // namespace platform
