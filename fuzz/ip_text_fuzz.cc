// Whatever a lookup service answers, the address check accepts only what
// can safely be stored as an address and shown in the tray.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "controller/monitor/http_fetch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const int result = IsValidIpText(text.c_str());
  if (result != 0 && result != 7) std::abort();
  if (result != 0) return 0;
  const std::string accepted = text.c_str();  // up to the first zero byte
  if (accepted.size() > 15) std::abort();
  long long value = 0;
  int dots = 0;
  for (char c : accepted) {
    if (c == '.') {
      ++dots;
      value = 0;
      continue;
    }
    if (c < '0' || c > '9') std::abort();  // no line end, space or letter
    value = value * 10 + (c - '0');
    // The first four fields never read above 255 (what follows a fourth
    // dot is the loose check's blind spot, as on the target).
    if (dots < 4 && value > 255) std::abort();
  }
  return 0;
}
