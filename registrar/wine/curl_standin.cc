// curl.exe for runs of the Windows build under Wine, where the Linux curl
// cannot read Windows paths: only what norvik asks of curl.
//   curl -d @<file> <http-url>
// Posts the file's bytes without their CR and LF as a form body and writes
// the answer to standard output.  As curl does when its output is not a
// terminal, it writes a progress meter to standard error, and its error
// texts go there too (status 2, 26 or 7).
#include <windows.h>
#include <wininet.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
  // The answer's bytes as they came, as curl writes them.
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc != 4 || std::string(argv[1]) != "-d" || argv[2][0] != '@') {
    std::fprintf(stderr, "curl: (2) usage: curl -d @file url\n");
    return 2;
  }
  std::ifstream in(argv[2] + 1, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "curl: (26) Failed to open/read local data\n");
    return 26;
  }
  std::string body;
  for (char c : std::string(std::istreambuf_iterator<char>(in), {})) {
    if (c != '\r' && c != '\n') body += c;
  }
  HINTERNET net = InternetOpenA("curl", INTERNET_OPEN_TYPE_DIRECT, nullptr,
                                nullptr, 0);
  URL_COMPONENTSA parts = {};
  parts.dwStructSize = sizeof parts;
  char host[256] = {}, path[2048] = {};
  parts.lpszHostName = host;
  parts.dwHostNameLength = sizeof host;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = sizeof path;
  HINTERNET conn = nullptr, req = nullptr;
  if (net && InternetCrackUrlA(argv[3], 0, 0, &parts)) {
    conn = InternetConnectA(net, host, parts.nPort, nullptr, nullptr,
                            INTERNET_SERVICE_HTTP, 0, 0);
  }
  if (conn) {
    req = HttpOpenRequestA(conn, "POST", path, nullptr, nullptr, nullptr,
                           INTERNET_FLAG_RELOAD, 0);
  }
  const char kType[] =
      "Content-Type: application/x-www-form-urlencoded\r\n";
  if (!req || !HttpSendRequestA(req, kType, -1, body.data(),
                                static_cast<DWORD>(body.size()))) {
    std::fprintf(stderr, "curl: (7) Failed to connect to %s: %lu\n", argv[3],
                 GetLastError());
    return 7;
  }
  char chunk[4096];
  DWORD got = 0;
  unsigned long total = 0;
  while (InternetReadFile(req, chunk, sizeof chunk, &got) && got > 0) {
    std::fwrite(chunk, 1, got, stdout);
    total += got;
  }
  std::fflush(stdout);
  // The meter's last line ends in the current speed, a number.
  std::fprintf(stderr,
               "  %% Total    %% Received %% Xferd  Average Speed   Time\n"
               "100 %6lu  100 %6lu  100 %6u  %6lu      0 --:--:-- "
               "--:--:-- --:--:-- %6lu\n",
               total + static_cast<unsigned long>(body.size()), total,
               static_cast<unsigned>(body.size()), total, (total + 1) * 100);
  InternetCloseHandle(req);
  InternetCloseHandle(conn);
  InternetCloseHandle(net);
  return 0;
}
