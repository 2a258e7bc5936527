#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "testing/loopback_socket.h"

namespace testing_support {
namespace {

// A socket bound to a free loopback port.
int BindLoopback(int* port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    if (fd >= 0) close(fd);
    return -1;
  }
  *port = ntohs(addr.sin_port);
  return fd;
}

}  // namespace

int ListenOnLoopback(int* port) {
  int fd = BindLoopback(port);
  if (fd >= 0 && listen(fd, 8) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

int RefusingLoopbackPort() {
  int port = 0;
  int fd = BindLoopback(&port);
  if (fd >= 0) close(fd);
  return port;
}

}  // namespace testing_support
