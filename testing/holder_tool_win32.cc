// A second process for the Windows layer's tests: it holds something the
// way another program on the user's machine would (the web application
// reading a data file, a foreign server on a port), says so, and lets go
// when its standard input closes.
//
//   holder_tool file <path> rw|r   opens <path> for reading without delete
//                                  sharing, sharing reads and writes (rw)
//                                  or reads only (r); prints "held"
//   holder_tool port               listens on a loopback TCP port of the
//                                  system's choice; prints "port <n>"
//
// The line is printed once the thing is held; the program then waits for
// the end of its standard input, lets go and ends with status 0.  A step
// that fails prints "failed <error>" and ends with status 1.
#include <winsock2.h>

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

int Failed(unsigned long error) {
  std::printf("failed %lu\n", error);
  std::fflush(stdout);
  return 1;
}

void Announce(const char* line) {
  std::printf("%s\n", line);
  std::fflush(stdout);
}

// Blocks until whoever started us closes our standard input.
void WaitForRelease() {
  char buf[64];
  while (std::fread(buf, 1, sizeof buf, stdin) > 0) {
  }
}

int HoldFile(const char* path, const char* sharing) {
  DWORD share = std::strcmp(sharing, "rw") == 0
                    ? FILE_SHARE_READ | FILE_SHARE_WRITE
                    : FILE_SHARE_READ;
  HANDLE file = CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Failed(GetLastError());
  Announce("held");
  WaitForRelease();
  CloseHandle(file);
  return 0;
}

int HoldPort() {
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return Failed(0);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof addr;
  if (s == INVALID_SOCKET ||
      bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(s, 4) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    return Failed(WSAGetLastError());
  }
  char line[32];
  std::snprintf(line, sizeof line, "port %u", ntohs(addr.sin_port));
  Announce(line);
  WaitForRelease();
  closesocket(s);
  WSACleanup();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "file") == 0) {
    return HoldFile(argv[2], argv[3]);
  }
  if (argc == 2 && std::strcmp(argv[1], "port") == 0) return HoldPort();
  std::fputs("usage: holder_tool file <path> rw|r | holder_tool port\n",
             stderr);
  return 2;
}
