// apache\bin\httpd.exe of a Windows install folder under Wine, where no
// Apache with PHP runs: a small web server in its place.  Started as the
// controller starts Apache (by its bare name, no arguments), it reads
// ..\conf\httpd.conf beside its folder, listens on every address at each
// port of its Listen lines, as Apache's "Listen <port>" does, and answers
// from DocumentRoot (site_answer.h) until it is ended, as Apache in the
// foreground does: the reverse check reaches it through the public
// address.  A port it cannot take ends it at once with status 1, before
// it serves any, as Apache.  Apache on Windows reads the paths of its
// configuration as UTF-8, and so does this one: a DocumentRoot that is no
// UTF-8 (a folder written in the ANSI code page) ends it with status 1.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tools/kill_by_name.h"
#include "tools/site_answer.h"

namespace {

constexpr size_t kRequestHeadLimit = 16 * 1024;
constexpr DWORD kReceiveTimeoutMs = 5000;

std::string FolderOf(const std::string& path) {
  return path.substr(0, path.find_last_of("\\/") + 1);
}

// The UTF-8 path in the ANSI code page, which the narrow calls of
// site_answer.h take; nothing when it is no UTF-8 or has no ANSI form.
std::optional<std::string> Utf8ToAnsi(const std::string& utf8) {
  if (utf8.empty()) return std::string();
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS,
                                    utf8.data(), size, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size,
                      wide.data(), n);
  BOOL lossy = FALSE;
  const int m = WideCharToMultiByte(CP_ACP, 0, wide.data(), n, nullptr, 0,
                                    nullptr, &lossy);
  if (m <= 0 || lossy) return std::nullopt;
  std::string ansi(static_cast<size_t>(m), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), n, ansi.data(), m, nullptr,
                      nullptr);
  return ansi;
}

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void SendAll(SOCKET s, const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    int n =
        send(s, bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

// One request a connection, answered and closed.
void Serve(SOCKET s, const std::string& root) {
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO,
             reinterpret_cast<const char*>(&kReceiveTimeoutMs),
             sizeof kReceiveTimeoutMs);
  std::string head;
  char chunk[2048];
  while (head.find("\r\n\r\n") == std::string::npos &&
         head.size() < kRequestHeadLimit) {
    int n = recv(s, chunk, sizeof chunk, 0);
    if (n <= 0) break;
    head.append(chunk, static_cast<size_t>(n));
  }
  sockaddr_in peer = {};
  int peer_size = sizeof peer;
  getpeername(s, reinterpret_cast<sockaddr*>(&peer), &peer_size);
  char peer_text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &peer.sin_addr, peer_text, sizeof peer_text);

  const std::string line = head.substr(0, head.find("\r\n"));
  const size_t blank = line.find(' ');
  const size_t second = line.find(' ', blank + 1);
  const std::string method = line.substr(0, blank);
  tools::SiteAnswer answer;
  if (blank == std::string::npos || second == std::string::npos) {
    answer = {400, "text/plain", "Bad Request\n"};
  } else if (method != "GET" && method != "HEAD") {
    answer = {405, "text/plain", "Method Not Allowed\n"};
  } else {
    answer = tools::AnswerRequest(
        root, line.substr(blank + 1, second - blank - 1), peer_text);
  }
  std::string reply =
      "HTTP/1.1 " + std::to_string(answer.status) + " " +
      tools::ReasonPhrase(answer.status) +
      "\r\nContent-Type: " + answer.content_type +
      "\r\nX-Content-Type-Options: nosniff" +
      "\r\nContent-Length: " + std::to_string(answer.body.size()) +
      "\r\nConnection: close\r\n\r\n";
  if (method != "HEAD") reply += answer.body;
  SendAll(s, reply);
  shutdown(s, SD_SEND);
  closesocket(s);
}

SOCKET Listen(int port) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return s;
  // A port held by another program is refused, as it is for Apache.
  BOOL exclusive = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
             reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
  sockaddr_in at = {};
  at.sin_family = AF_INET;
  at.sin_port = htons(static_cast<u_short>(port));
  at.sin_addr.s_addr = htonl(INADDR_ANY);
  if (bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
      listen(s, SOMAXCONN) != 0) {
    closesocket(s);
    return INVALID_SOCKET;
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  tools::RecordRun(argc, argv);
  // ...\apache\bin\httpd.exe: the server root is the folder above bin.
  const std::string bin = FolderOf(tools::OwnProgramPath());
  const std::string apache = FolderOf(bin.substr(0, bin.size() - 1));
  std::ifstream in(apache + "conf\\httpd.conf", std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "httpd.exe: cannot read %sconf\\httpd.conf\n",
                 apache.c_str());
    return 1;
  }
  const tools::SiteConf conf = tools::ParseHttpdConf(
      std::string(std::istreambuf_iterator<char>(in), {}));
  const std::optional<std::string> ansi_root =
      Utf8ToAnsi(conf.document_root);
  if (!ansi_root) {
    std::fprintf(stderr, "httpd.exe: DocumentRoot is no UTF-8 path\n");
    return 1;
  }
  std::string root = *ansi_root;
  // The template's own root (no install folder yet) serves the website
  // beside the server root.
  if (root.empty() || !IsFolder(root)) root = apache + "..\\website";
  if (root.back() != '/' && root.back() != '\\') root += '\\';
  if (conf.ports.empty()) {
    std::fprintf(stderr, "httpd.exe: no Listen line in httpd.conf\n");
    return 1;
  }

  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 1;
  std::vector<SOCKET> listeners;
  for (int port : conf.ports) {
    SOCKET s = Listen(port);
    if (s == INVALID_SOCKET) {
      std::fprintf(stderr, "httpd.exe: could not bind to address 0.0.0.0:%d\n",
                   port);
      return 1;
    }
    listeners.push_back(s);
  }
  std::printf("httpd.exe: serving %s on 0.0.0.0", root.c_str());
  for (int port : conf.ports) std::printf(" :%d", port);
  std::printf("\n");
  std::fflush(stdout);
  while (true) {
    fd_set ready;
    FD_ZERO(&ready);
    for (SOCKET s : listeners) FD_SET(s, &ready);
    if (select(0, &ready, nullptr, nullptr, nullptr) == SOCKET_ERROR) {
      Sleep(100);
      continue;
    }
    for (SOCKET s : listeners) {
      if (!FD_ISSET(s, &ready)) continue;
      SOCKET client = accept(s, nullptr, nullptr);
      if (client != INVALID_SOCKET) std::thread(Serve, client, root).detach();
    }
  }
}
