// Reading the TCP tables that iphlpapi.dll's undocumented exports hand
// out.  A table is a 32-bit row count followed by the rows; every field is
// 32 bits, little-endian as on every Windows machine we run on:
//   bytes 0-3 state, 4-7 local address, 8-11 local port, 12-15 remote
//   address, 16-19 remote port, 20-23 owning process id, and in the longer
//   rows 24-27 the offload state.
// A port field holds the port in network byte order in its low 16 bits:
// bytes 8 and 9 of the row are the port's high and low byte.
#ifndef BRAMO_PLATFORM_WIN32_TCP_ROWS_WIN32_H_
#define BRAMO_PLATFORM_WIN32_TCP_ROWS_WIN32_H_

#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform {

// Rows of AllocateAndGetTcpExTableFromStack and of InternalGetTcpTable2.
constexpr size_t kTcpExRowBytes = 24;
constexpr size_t kTcpTable2RowBytes = 28;

// The owning process id of the first row, in table order, whose local
// port is `port` (any connection state; 0 for a row without an owner);
// nullopt when no row matches.  Of the rows the count announces, only
// those that lie wholly inside the `table_bytes` bytes of `table` are
// read; rows shorter than 24 bytes are never read.
std::optional<uint32_t> TcpTablePortOwner(const unsigned char* table,
                                          size_t table_bytes, size_t row_size,
                                          int port);

}  // namespace platform

#endif  // BRAMO_PLATFORM_WIN32_TCP_ROWS_WIN32_H_
