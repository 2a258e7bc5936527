#include "platform/win32/tcp_rows_win32.h"

namespace platform {
namespace {

uint32_t LittleEndian32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

std::optional<uint32_t> TcpTablePortOwner(const unsigned char* table,
                                          size_t table_bytes, size_t row_size,
                                          int port) {
  constexpr size_t kCountBytes = 4;
  if (table == nullptr || table_bytes < kCountBytes ||
      row_size < kTcpExRowBytes) {
    return std::nullopt;
  }
  // A count larger than the rows the buffer holds is not believed: the
  // rows past its end are someone else's memory.
  const size_t fits = (table_bytes - kCountBytes) / row_size;
  const uint32_t count = LittleEndian32(table);
  const size_t rows = count < fits ? count : fits;
  for (size_t i = 0; i < rows; ++i) {
    const unsigned char* row = table + kCountBytes + i * row_size;
    if ((row[8] << 8 | row[9]) == port) return LittleEndian32(row + 20);
  }
  return std::nullopt;
}

}  // namespace platform
