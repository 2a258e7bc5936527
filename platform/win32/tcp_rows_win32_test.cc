// The TCP table rows read from tables built in memory, byte by byte as
// iphlpapi.dll lays them out, in both row sizes.
#include "platform/win32/tcp_rows_win32.h"

#include <gtest/gtest.h>

#include <vector>

namespace platform {
namespace {

struct Row {
  int port;
  uint32_t owner;
};

void Put32(std::vector<unsigned char>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = (value >> (8 * i)) & 0xFF;
}

// A table of `rows`, with fields around the port and owner that must not
// be taken for them: the remote port is the port asked for plus one, the
// addresses and states carry other numbers, and the high half of the port
// field is not zero.
std::vector<unsigned char> Table(const std::vector<Row>& rows,
                                 size_t row_size) {
  std::vector<unsigned char> bytes(4 + rows.size() * row_size, 0xEE);
  Put32(bytes, 0, static_cast<uint32_t>(rows.size()));
  for (size_t i = 0; i < rows.size(); ++i) {
    const size_t row = 4 + i * row_size;
    Put32(bytes, row + 0, 2);           // listening
    Put32(bytes, row + 4, 0x0100007F);  // 127.0.0.1
    bytes[row + 8] = static_cast<unsigned char>(rows[i].port >> 8);
    bytes[row + 9] = static_cast<unsigned char>(rows[i].port & 0xFF);
    bytes[row + 10] = 0xAB;
    bytes[row + 11] = 0xCD;
    Put32(bytes, row + 12, 0x0200007F);
    bytes[row + 16] = static_cast<unsigned char>((rows[i].port + 1) >> 8);
    bytes[row + 17] = static_cast<unsigned char>((rows[i].port + 1) & 0xFF);
    bytes[row + 18] = bytes[row + 19] = 0;
    Put32(bytes, row + 20, rows[i].owner);
  }
  return bytes;
}

std::optional<uint32_t> Owner(const std::vector<unsigned char>& table,
                              size_t row_size, int port) {
  return TcpTablePortOwner(table.data(), table.size(), row_size, port);
}

TEST(TcpRowsTest, PortsAreReadInNetworkOrderAndTheFirstRowWins) {
  const std::vector<Row> rows = {
      {80, 0}, {0x1F90, 4444}, {0x901F, 5555}, {443, 1234}, {443, 999}};
  for (size_t row_size : {kTcpExRowBytes, kTcpTable2RowBytes}) {
    SCOPED_TRACE(row_size);
    const auto table = Table(rows, row_size);
    struct {
      int port;
      std::optional<uint32_t> owner;
    } cases[] = {
        {80, 0u},  // a row without an owner still matches: the caller skips 0
        {8080, 4444u},   // 0x1F90, bytes 1F 90
        {36895, 5555u},  // 0x901F: the same bytes the other way round
        {443, 1234u},
        {444, std::nullopt},     // only a remote port
        {0xABCD, std::nullopt},  // only the high half of a port field
        {2, std::nullopt},
    };
    for (const auto& c : cases) {
      EXPECT_EQ(Owner(table, row_size, c.port), c.owner) << c.port;
    }
  }
}

TEST(TcpRowsTest, TheRowSizeDecidesWhereRowsBegin) {
  // Read with the wrong size, the second row's fields are not found.
  const auto table = Table({{1000, 1}, {2000, 2}}, kTcpTable2RowBytes);
  EXPECT_EQ(Owner(table, kTcpTable2RowBytes, 2000), 2u);
  EXPECT_EQ(Owner(table, kTcpExRowBytes, 2000), std::nullopt);
}

TEST(TcpRowsTest, OnlyRowsInsideTheBufferAreRead) {
  for (size_t row_size : {kTcpExRowBytes, kTcpTable2RowBytes}) {
    SCOPED_TRACE(row_size);
    auto table = Table({{1000, 1}, {2000, 2}, {3000, 3}}, row_size);
    // A count below the rows present hides the rest.
    Put32(table, 0, 2);
    EXPECT_EQ(Owner(table, row_size, 2000), 2u);
    EXPECT_EQ(Owner(table, row_size, 3000), std::nullopt);
    Put32(table, 0, 0);
    EXPECT_EQ(Owner(table, row_size, 1000), std::nullopt);
    // A count above them, up to the largest, reads no further than the
    // buffer: its last row is found, nothing past it.
    for (uint32_t count : {4u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
      Put32(table, 0, count);
      EXPECT_EQ(Owner(table, row_size, 3000), 3u) << count;
    }
    // A last row cut short by the buffer is not read.
    EXPECT_EQ(TcpTablePortOwner(table.data(), table.size() - 1, row_size, 3000),
              std::nullopt);
    EXPECT_EQ(TcpTablePortOwner(table.data(), table.size() - 1, row_size, 2000),
              2u);
  }
  // No room even for the count, no table, rows too short for an owner.
  const auto table = Table({{1000, 1}}, kTcpExRowBytes);
  EXPECT_EQ(TcpTablePortOwner(table.data(), 3, kTcpExRowBytes, 1000),
            std::nullopt);
  EXPECT_EQ(TcpTablePortOwner(nullptr, 100, kTcpExRowBytes, 1000),
            std::nullopt);
  EXPECT_EQ(TcpTablePortOwner(table.data(), table.size(), 20, 1000),
            std::nullopt);
  EXPECT_EQ(TcpTablePortOwner(table.data(), table.size(), 0, 1000),
            std::nullopt);
}

}  // namespace
}  // namespace platform
