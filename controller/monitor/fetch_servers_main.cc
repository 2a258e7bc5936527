// The fetch against real servers on loopback: PHP's built-in server for
// pages, and a listener of our own that accepts and never answers.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <ctime>
#include <fstream>
#include <memory>
#include <thread>

#include "controller/monitor/http_fetch.h"
#include "platform/env.h"
#include "testing/temp_folder.h"

extern char** environ;

namespace {

using testing_support::TempFolder;

double NowSeconds() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

// A loopback socket bound to a free port; listening when asked (the kernel
// then completes connections nobody ever answers).
class Listener {
 public:
  explicit Listener(bool listening) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // A failed bind shows in the port read back below (0), which the tests
    // check.  NOLINTNEXTLINE(bugprone-unused-return-value)
    bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    if (listening) listen(fd_, 8);
    socklen_t len = sizeof addr;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
  }
  ~Listener() { close(fd_); }
  int port() const { return port_; }
  // Frees the port, so that nothing listens on it any more.
  void Close() {
    close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
};

// `php -S 127.0.0.1:<port> -t <folder>`, ended by its id at the end.
// Ready once it serves a token file of its own folder: a port taken
// meanwhile by another program makes php end, or the connection reach
// that other program, and the next attempt takes another free port.
class PhpServer {
 public:
  explicit PhpServer(const std::string& root) {
    std::string token =
        "php-" + std::to_string(getpid()) + "-" + std::to_string(NowSeconds());
    std::ofstream(root + "/server-token.txt", std::ios::binary) << token;
    for (int attempt = 0; attempt < 5 && !started_; ++attempt) {
      Spawn(root);
      started_ = WaitUntilServing(token);
      if (!started_) Stop();
    }
  }
  ~PhpServer() { Stop(); }
  bool started() const { return started_; }
  std::string url(const std::string& path) const {
    return "http://" + host_ + path;
  }

 private:
  void Spawn(const std::string& root) {
    {
      Listener probe(false);
      host_ = "127.0.0.1:" + std::to_string(probe.port());
    }
    std::string t = "-t", s = "-S", php = "php", q = "-q";
    char* argv[] = {php.data(),   q.data(), s.data(),
                    host_.data(), t.data(), const_cast<char*>(root.c_str()),
                    nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&pid_, "php", &actions, nullptr, argv, environ) != 0) {
      pid_ = 0;
    }
    posix_spawn_file_actions_destroy(&actions);
  }
  // Up to 30 s, while the process lives.
  bool WaitUntilServing(const std::string& token) {
    std::unique_ptr<platform::Env> env(platform::NewPlatformEnv());
    platform::HttpOptions options;
    options.timeout_ms = 1000;
    double deadline = NowSeconds() + 30;
    while (pid_ != 0 && NowSeconds() < deadline) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = 0;  // ended: the port was taken
        return false;
      }
      std::string body;
      if (env->HttpGet(url("/server-token.txt"), "", 256, &body, options) ==
              platform::HttpResult::kOk &&
          body == token) {
        return true;
      }
      usleep(50000);
    }
    return false;
  }
  void Stop() {
    if (pid_ != 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
      pid_ = 0;
    }
  }
  pid_t pid_ = 0;
  bool started_ = false;
  std::string host_;
};

// NOLINTNEXTLINE(cert-env33-c): a fixed command, only to skip without PHP.
bool HavePhp() { return system("php -v >/dev/null 2>&1") == 0; }

class FetchServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HavePhp()) GTEST_SKIP() << "php is not installed";
    folder_.Write("big.php", "<?php echo str_repeat('abcdefghij', 300);");
    folder_.Write("missing.php",
                  "<?php http_response_code(404); echo 'not here';");
    folder_.Write("zero.php", "<?php echo \"ab\\0cd\";");
    folder_.Write("ip.php", ReadSource("website/whatismyip.php"));
    folder_.Write("pc2/ReverseDetection.php",
                  ReadSource("website/pc2/ReverseDetection.php"));
    server_ = std::make_unique<PhpServer>(folder_.path());
    ASSERT_TRUE(server_->started());
  }
  static std::string ReadSource(const std::string& relative) {
    std::ifstream in(std::string(BRAMO_SOURCE_DIR) + "/" + relative,
                     std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string Url(const std::string& path) { return server_->url(path); }

  TempFolder folder_;
  std::unique_ptr<PhpServer> server_;
  std::unique_ptr<platform::Env> env_{platform::NewPlatformEnv()};
  std::string text_;
};

TEST_F(FetchServerTest, BodiesComeBackCutWhateverTheStatus) {
  EXPECT_EQ(FetchUrlText(*env_, Url("/big.php").c_str(), text_), 0);
  std::string expected;
  for (int i = 0; i < 300; ++i) expected += "abcdefghij";
  EXPECT_EQ(text_, expected.substr(0, 1023));
  EXPECT_EQ(FetchUrlText(*env_, Url("/missing.php").c_str(), text_), 0);
  EXPECT_EQ(text_, "not here");
  EXPECT_EQ(FetchUrlText(*env_, Url("/zero.php").c_str(), text_), 0);
  EXPECT_EQ(text_, "ab");
}

TEST_F(FetchServerTest, AddressPageIsAcceptedAsAnAddress) {
  EXPECT_EQ(FetchExternalIp(*env_, Url("/ip.php").c_str(), text_), 0);
  EXPECT_EQ(text_, "127.0.0.1");
  EXPECT_EQ(FetchExternalIp(*env_, Url("/big.php").c_str(), text_), 7);
  EXPECT_EQ(text_, "");
}

TEST_F(FetchServerTest, ReverseDetectionAnswersTheFirstTokenAlone) {
  const std::string page = "/pc2/ReverseDetection.php";
  folder_.Write("pc2/database/current_user", "  zhang_san \t other\r\n");
  EXPECT_EQ(FetchUrlText(*env_, Url(page).c_str(), text_), 0);
  EXPECT_EQ(text_, "zhang_san");
  folder_.Write("pc2/database/current_user", "\xd5\xc5\xc8\xfd");
  EXPECT_EQ(FetchUrlText(*env_, Url(page).c_str(), text_), 0);
  EXPECT_EQ(text_, "\xd5\xc5\xc8\xfd");
  folder_.Write("pc2/database/current_user", "");
  EXPECT_EQ(FetchUrlText(*env_, Url(page).c_str(), text_), 0);
  EXPECT_EQ(text_, "");
}

TEST(FetchUnreachable, RefusedPortGivesSixAndOne) {
  Listener free_port(false);
  std::string url =
      "http://127.0.0.1:" + std::to_string(free_port.port()) + "/";
  free_port.Close();
  std::unique_ptr<platform::Env> env(platform::NewPlatformEnv());
  std::string text = "x";
  EXPECT_EQ(FetchUrlText(*env, url.c_str(), text), 6);
  EXPECT_EQ(text, "");
  text = "x";
  EXPECT_EQ(FetchExternalIp(*env, url.c_str(), text), 1);
  EXPECT_EQ(text, "");
}

TEST(FetchUnreachable, SilentServerTimesOutAndCanBeCancelled) {
  Listener silent(true);
  std::string url = "http://127.0.0.1:" + std::to_string(silent.port()) + "/";
  std::unique_ptr<platform::Env> env(platform::NewPlatformEnv());
  std::string text;
  platform::HttpOptions options;
  options.timeout_ms = 300;
  double start = NowSeconds();
  EXPECT_NE(FetchUrlText(*env, url.c_str(), text, options), 0);
  EXPECT_LT(NowSeconds() - start, 5.0);

  platform::HttpCancel cancel;
  platform::HttpOptions cancellable;
  cancellable.cancel = &cancel;  // default time-outs: only Cancel ends it
  std::atomic<double> cancelled_at{0};
  std::thread stopper([&] {
    usleep(300000);
    cancelled_at = NowSeconds();
    cancel.Cancel();
  });
  int result = FetchUrlText(*env, url.c_str(), text, cancellable);
  double ended = NowSeconds();
  stopper.join();
  EXPECT_NE(result, 0);
  EXPECT_EQ(text, "");
  EXPECT_LT(ended - cancelled_at, 2.0);
}

}  // namespace
