// The TCP-table lookup through iphlpapi.dll's run-time exports.  Where
// neither export is present, no owner is found and the pid stays as it
// was: that fallback is what the test then expects.
// winsock2.h must come before windows.h.
#include <winsock2.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/win32/win32_env.h"
#include "testing/holder_process_win32.h"
#include "testing/temp_folder.h"
#include "testing/under_wine.h"

namespace platform {
namespace {

bool TableExportsPresent() {
  HMODULE library = LoadLibraryW(L"iphlpapi.dll");
  if (library == nullptr) return false;
  bool present =
      GetProcAddress(library, "AllocateAndGetTcpExTableFromStack") != nullptr ||
      GetProcAddress(library, "InternalGetTcpTable2") != nullptr;
  FreeLibrary(library);
  return present;
}

TEST(Win32PortsTest, OurOwnListenerIsFoundOrTheFallbackLeavesThePid) {
  WSADATA wsa;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &wsa), 0);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  ASSERT_NE(s, INVALID_SOCKET);
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(listen(s, 4), 0);
  int len = sizeof addr;
  getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
  int port = ntohs(addr.sin_port);

  Win32Env env;
  uint32_t pid = 77777;
  EXPECT_EQ(env.FindPortOwner(port, &pid), 0);
  if (!TableExportsPresent()) {
    EXPECT_EQ(pid, 77777u);
  } else if (testing_support::UnderWine()) {
    // Wine 8 lists the row but does not know which process owns a socket:
    // the owner field is 0, which the controller skips.
    EXPECT_TRUE(pid == 0 || pid == GetCurrentProcessId()) << pid;
  } else {
    EXPECT_EQ(pid, GetCurrentProcessId());
  }
  // Never this process.
  EXPECT_EQ(env.TerminatePortOwner(GetCurrentProcessId()), 3);
  closesocket(s);
  WSACleanup();
}

// A port held by another process: its row is found, and the process named
// there is ended, unless it is a web server.
TEST(Win32PortsTest, AnotherProcessHoldingAPortIsFoundAndEndedUnlessHttpd) {
  testing_support::TempFolder dir;
  const std::string httpd = dir.windows_path() + "httpd.exe";
  std::filesystem::copy_file(testing_support::HolderProcess::ToolPath(),
                             dir.path() + "httpd.exe");
  struct {
    std::string program;
    bool spared;
  } holders[] = {{"", false}, {httpd, true}};
  for (const auto& h : holders) {
    SCOPED_TRACE(h.program);
    testing_support::HolderProcess holder("port", h.program);
    ASSERT_EQ(holder.line().rfind("port ", 0), 0u) << holder.line();
    const int port = std::stoi(holder.line().substr(5));
    Win32Env env;
    uint32_t pid = 77777;
    ASSERT_EQ(env.FindPortOwner(port, &pid), 0);
    if (TableExportsPresent()) {
      if (testing_support::UnderWine()) {
        // Wine lists the row but names no owner.
        EXPECT_TRUE(pid == 0 || pid == holder.pid()) << pid;
      } else {
        EXPECT_EQ(pid, holder.pid());
      }
    }
    EXPECT_EQ(env.TerminatePortOwner(holder.pid()), 0);
    EXPECT_EQ(holder.RunningAfter(h.spared ? 500 : 10000), h.spared);
  }
}

}  // namespace
}  // namespace platform
