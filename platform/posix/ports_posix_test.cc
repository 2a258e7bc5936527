// The port lookup and termination on Linux, against listeners the test
// starts itself in child processes.  Only those children are ever ended.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "controller/service/port_conflicts.h"
#include "platform/posix/posix_env.h"
#include "platform/posix/tcp_table.h"
#include "testing/temp_folder.h"

namespace platform {
namespace {

using testing_support::TempFolder;

// Binds a listener on loopback (or on [::] when `v6_any`), with
// SO_REUSEADDR as Apache does; returns its fd and sets *port.
int Listen(bool v6_any, int* port) {
  int fd = socket(v6_any ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
  int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (v6_any) {
    int off = 0;
    setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
    sockaddr_in6 addr = {};
    addr.sin6_family = AF_INET6;
    addr.sin6_addr = in6addr_any;
    addr.sin6_port = htons(static_cast<uint16_t>(*port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      close(fd);
      return -1;
    }
  } else {
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(*port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      close(fd);
      return -1;
    }
  }
  listen(fd, 8);
  sockaddr_storage bound = {};
  socklen_t len = sizeof bound;
  getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &len);
  *port = ntohs(v6_any ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                       : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  return fd;
}

// A child that holds a listening port, running `program` (a copy of
// /bin/sleep under another name) or, when empty, just this test's code.
struct Holder {
  pid_t pid = -1;
  int port = 0;
};

Holder StartHolder(bool v6_any, const std::string& program) {
  int report[2];
  if (pipe(report) != 0) return {};
  Holder holder;
  holder.pid = fork();
  if (holder.pid == 0) {
    close(report[0]);
    int port = 0;
    int fd = Listen(v6_any, &port);
    if (write(report[1], &port, sizeof port) != sizeof port) _exit(1);
    close(report[1]);
    if (fd < 0) _exit(1);
    if (!program.empty()) {
      execl(program.c_str(), program.c_str(), "60",
            static_cast<char*>(nullptr));
    }
    pause();
    _exit(0);
  }
  close(report[1]);
  if (read(report[0], &holder.port, sizeof holder.port) != sizeof holder.port) {
    holder.port = 0;
  }
  close(report[0]);
  if (!program.empty()) {
    // Wait until the exec has happened, so the name is the new one.
    std::string exe = "/proc/" + std::to_string(holder.pid) + "/exe";
    for (int i = 0; i < 500; ++i) {
      std::error_code ec;
      if (std::filesystem::read_symlink(exe, ec) == program) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  return holder;
}

bool EndedBySigkill(pid_t pid) {
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFSIGNALED(status) &&
         WTERMSIG(status) == SIGKILL;
}

void EndByPid(pid_t pid) {
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

std::string CopyOfSleep(const TempFolder& dir, const std::string& name) {
  std::string path = dir.path() + name;
  std::filesystem::copy_file("/bin/sleep", path);
  chmod(path.c_str(), 0755);
  return path;
}

TEST(PortOwnerTest, NamesTheChildHoldingTheLoopbackPort) {
  Holder holder = StartHolder(false, "");
  ASSERT_GT(holder.port, 0);
  PosixEnv env;
  uint32_t pid = 0;
  EXPECT_EQ(env.FindPortOwner(holder.port, &pid), 0);
  EXPECT_EQ(pid, static_cast<uint32_t>(holder.pid));
  EndByPid(holder.pid);
}

TEST(PortOwnerTest, AListenerOnTheIpv6AnyAddressHoldsTheIpv4PortToo) {
  Holder holder = StartHolder(true, "");
  if (holder.port == 0) GTEST_SKIP() << "no IPv6 on this machine";
  PosixEnv env;
  uint32_t pid = 0;
  EXPECT_EQ(env.FindPortOwner(holder.port, &pid), 0);
  EXPECT_EQ(pid, static_cast<uint32_t>(holder.pid));
  EndByPid(holder.pid);
}

TEST(PortOwnerTest, TheFirstRowOfThePortCountsNotALaterOneWithoutOwner) {
  Holder holder = StartHolder(false, "");
  ASSERT_GT(holder.port, 0);
  // A connection the holder never accepts: its row, listed after the
  // listener's, has the same local port and no socket of any process.
  int client = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(holder.port));
  ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&addr), sizeof addr),
            0);
  PosixEnv env;
  uint32_t pid = 0;
  EXPECT_EQ(env.FindPortOwner(holder.port, &pid), 0);
  EXPECT_EQ(pid, static_cast<uint32_t>(holder.pid));
  close(client);
  EndByPid(holder.pid);
}

TEST(PortOwnerTest, AFreePortLeavesThePidAlone) {
  int port = 0;
  int fd = Listen(false, &port);
  close(fd);  // now nobody holds it
  PosixEnv env;
  uint32_t pid = 12345;
  EXPECT_EQ(env.FindPortOwner(port, &pid), 0);
  EXPECT_EQ(pid, 12345u);
}

TEST(FreePortsRealTest, TheForeignOwnerIsEndedAndThePortBindsAgain) {
  Holder holder = StartHolder(false, "");
  ASSERT_GT(holder.port, 0);
  PosixEnv env;
  EXPECT_EQ(FreePorts(env, holder.port, 1), 0);
  EXPECT_TRUE(EndedBySigkill(holder.pid));
  int port = holder.port;
  int fd = Listen(false, &port);
  EXPECT_GE(fd, 0);
  if (fd >= 0) close(fd);
}

TEST(FreePortsRealTest, AWebServerHoldingThePortIsLeftRunning) {
  TempFolder dir;
  Holder holder = StartHolder(false, CopyOfSleep(dir, "httpd.exe"));
  ASSERT_GT(holder.port, 0);
  PosixEnv env;
  EXPECT_EQ(FreePorts(env, holder.port, 1), 0);
  EXPECT_EQ(waitpid(holder.pid, nullptr, WNOHANG), 0);  // still running
  EXPECT_EQ(env.TerminatePortOwner(static_cast<uint32_t>(holder.pid)), 0);
  EXPECT_EQ(waitpid(holder.pid, nullptr, WNOHANG), 0);
  EndByPid(holder.pid);
}

TEST(TerminateTest, NeverThisProcessOrTheFirstAndGoneIsNoFailure) {
  PosixEnv env;
  EXPECT_EQ(env.TerminatePortOwner(static_cast<uint32_t>(getpid())), 3);
  EXPECT_EQ(env.TerminatePortOwner(1), 3);
  EXPECT_EQ(env.TerminatePortOwner(0), 3);
  pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);  // gone before we try
  EXPECT_EQ(env.TerminatePortOwner(static_cast<uint32_t>(child)), 0);
}

TEST(TcpTableTest, RowsAreReadInOrderAndOnlyIpv4CapableV6RowsCount) {
  const char* v4 =
      "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when "
      "retrnsmt   uid  timeout inode\n"
      "   0: 0100007F:1F90 00000000:0000 0A 00000000:00000000 00:00000000 "
      "00000000     0        0 1111 1 0000000000000000 100 0 0 10 0\n"
      "   1: 0100007F:0050 0100007F:9C40 06 00000000:00000000 03:00000000 "
      "00000000     0        0 0 3 0000000000000000\n";
  std::vector<TcpRow> rows = ParseTcpTable(v4);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].local_port, 8080);
  EXPECT_EQ(rows[0].inode, 1111u);
  EXPECT_EQ(rows[1].local_port, 80);
  EXPECT_EQ(rows[1].inode, 0u);
  const char* v6 =
      "  sl  local_address                         remote_address          "
      "               st tx_queue rx_queue tr tm->when retrnsmt   uid  "
      "timeout inode\n"
      "   0: 00000000000000000000000000000000:0050 "
      "00000000000000000000000000000000:0000 0A 00000000:00000000 "
      "00:00000000 00000000     0        0 2222 1\n"
      "   1: 00000000000000000000000001000000:0051 "
      "00000000000000000000000000000000:0000 0A 00000000:00000000 "
      "00:00000000 00000000     0        0 3333 1\n"
      "   2: 0000000000000000FFFF00000100007F:0052 "
      "00000000000000000000000000000000:0000 0A 00000000:00000000 "
      "00:00000000 00000000     0        0 4444 1\n";
  rows = ParseTcp6TableForIpv4(v6);
  ASSERT_EQ(rows.size(), 2u);  // [::] and ::ffff:127.0.0.1, not [::1]
  EXPECT_EQ(rows[0].inode, 2222u);
  EXPECT_EQ(rows[1].local_port, 0x52);
}

}  // namespace
}  // namespace platform
