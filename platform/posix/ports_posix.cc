// Ports, time and chance on Linux.
#include <dirent.h>
#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "platform/posix/posix_env.h"
#include "platform/posix/system_file.h"
#include "platform/posix/tcp_table.h"
#include "platform/thread_stop.h"

namespace platform {
namespace {

// Splits a row's fields at blanks.
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out;
  size_t at = 0;
  while ((at = line.find_first_not_of(" \t", at)) != std::string::npos) {
    size_t end = line.find_first_of(" \t", at);
    out.push_back(line.substr(at, end - at));
    at = end;
  }
  return out;
}

// "0100007F:1F90" -> address text "0100007F" and port 8080.
bool SplitAddress(const std::string& field, std::string* address, int* port) {
  size_t colon = field.find(':');
  if (colon == std::string::npos) return false;
  *address = field.substr(0, colon);
  *port = static_cast<int>(std::strtol(field.c_str() + colon + 1, nullptr, 16));
  return true;
}

template <typename Accept>
std::vector<TcpRow> Parse(const std::string& text, Accept accept) {
  std::vector<TcpRow> rows;
  // The first line is the heading.
  for (size_t at = text.find('\n');
       at != std::string::npos && at + 1 < text.size();) {
    size_t end = text.find('\n', at + 1);
    std::vector<std::string> f = Fields(text.substr(at + 1, end - at - 1));
    at = end;
    std::string address;
    TcpRow row;
    if (f.size() < 10 || !SplitAddress(f[1], &address, &row.local_port)) {
      continue;
    }
    if (!accept(address)) continue;
    row.inode = std::strtoull(f[9].c_str(), nullptr, 10);
    rows.push_back(row);
  }
  return rows;
}

std::string BaseName(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

bool IsWebServerName(const std::string& name) {
  return strcasecmp(BaseName(name).c_str(), "httpd.exe") == 0;
}

}  // namespace

std::vector<TcpRow> ParseTcpTable(const std::string& text) {
  return Parse(text, [](const std::string&) { return true; });
}

std::vector<TcpRow> ParseTcp6TableForIpv4(const std::string& text) {
  return Parse(text, [](const std::string& address) {
    if (address.size() != 32) return false;
    // The kernel prints the address as four 32-bit words in host order;
    // "::" is all zeros, "::ffff:a.b.c.d" has FFFF0000 as its third word
    // on a little-endian machine (0000FFFF on a big-endian one).
    const std::string head = address.substr(0, 16);
    const std::string third = address.substr(16, 8);
    return head == "0000000000000000" &&
           (address == std::string(32, '0') || third == "0000FFFF" ||
            third == "FFFF0000");
  });
}

std::optional<uint32_t> SocketOwner(uint64_t inode) {
  const std::string wanted = "socket:[" + std::to_string(inode) + "]";
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return std::nullopt;
  std::optional<uint32_t> owner;
  char link[64];
  while (!owner) {
    struct dirent* entry = readdir(proc);
    if (entry == nullptr) break;
    char* end = nullptr;
    long pid = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0') continue;
    std::string fd_dir = "/proc/" + std::string(entry->d_name) + "/fd";
    DIR* fds = opendir(fd_dir.c_str());
    if (fds == nullptr) continue;
    while (struct dirent* fd = readdir(fds)) {
      if (fd->d_name[0] == '.') continue;
      std::string path = fd_dir + "/" + fd->d_name;
      ssize_t n = readlink(path.c_str(), link, sizeof link - 1);
      if (n > 0 && wanted.compare(0, std::string::npos, link, n) == 0) {
        owner = static_cast<uint32_t>(pid);
        break;
      }
    }
    closedir(fds);
  }
  closedir(proc);
  return owner;
}

int PosixEnv::FindPortOwner(int port, uint32_t* pid) {
  std::optional<std::string> tcp = ReadSystemFile("/proc/net/tcp");
  if (!tcp) return 1;
  // A server listening on [::] holds the IPv4 port as well (Apache's plain
  // "Listen 80" does), so those rows come after the IPv4 ones.
  std::vector<TcpRow> rows = ParseTcpTable(*tcp);
  std::vector<TcpRow> v6 =
      ParseTcp6TableForIpv4(ReadSystemFile("/proc/net/tcp6").value_or(""));
  rows.insert(rows.end(), v6.begin(), v6.end());
  for (const TcpRow& row : rows) {
    if (row.local_port != port) continue;
    if (row.inode == 0) {
      *pid = 0;  // no owner any more, as Windows lists closing rows
    } else if (std::optional<uint32_t> owner = SocketOwner(row.inode)) {
      *pid = *owner;
    }
    break;
  }
  return 0;
}

int PosixEnv::TerminatePortOwner(uint32_t pid) {
  StopPoint();
  if (pid <= 1 || pid == static_cast<uint32_t>(getpid())) return 3;
  const std::string proc = "/proc/" + std::to_string(pid);
  char buf[4096];
  ssize_t n = readlink((proc + "/exe").c_str(), buf, sizeof buf - 1);
  if (n <= 0) {
    // Gone by now is no failure; a program we may not look at is.
    return access(proc.c_str(), F_OK) != 0 ? 0 : 3;
  }
  std::string program(buf, static_cast<size_t>(n));
  std::string argv0 = ReadSystemFile(proc + "/cmdline").value_or("");
  if (size_t end = argv0.find('\0'); end != std::string::npos)
    argv0.resize(end);
  if (IsWebServerName(program) || IsWebServerName(argv0)) return 0;
  if (kill(static_cast<pid_t>(pid), SIGKILL) == 0 || errno == ESRCH) return 0;
  return 3;
}

int64_t PosixEnv::Time() { return static_cast<int64_t>(std::time(nullptr)); }

void PosixEnv::SRand(unsigned seed) { std::srand(seed); }

// The C library's generator by contract: the port choice reseeds it.
int PosixEnv::Rand() { return std::rand(); }  // NOLINT(cert-msc50-cpp)

}  // namespace platform
