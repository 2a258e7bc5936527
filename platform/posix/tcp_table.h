// The Linux TCP tables, read from /proc.
#ifndef BRAMO_PLATFORM_POSIX_TCP_TABLE_H_
#define BRAMO_PLATFORM_POSIX_TCP_TABLE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct TcpRow {
  int local_port = 0;
  uint64_t inode = 0;  // 0 for rows no socket owns any more (TIME_WAIT)
};

// The rows of /proc/net/tcp's text, in its order.
std::vector<TcpRow> ParseTcpTable(const std::string& text);

// The rows of /proc/net/tcp6's text that accept IPv4 too: bound to the
// any-address or to an IPv4-mapped address.
std::vector<TcpRow> ParseTcp6TableForIpv4(const std::string& text);

// The process holding the socket `inode`, found through /proc/*/fd.
std::optional<uint32_t> SocketOwner(uint64_t inode);

}  // namespace platform

#endif  // BRAMO_PLATFORM_POSIX_TCP_TABLE_H_
