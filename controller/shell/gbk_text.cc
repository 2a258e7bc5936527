#include "controller/shell/gbk_text.h"

std::string CutGbk(const std::string& text, size_t max_bytes) {
  // Trail bytes overlap the lead range, so characters are found by walking
  // from the start.
  size_t at = 0;
  while (at < text.size()) {
    auto byte = static_cast<unsigned char>(text[at]);
    size_t width = (byte >= 0x81 && byte <= 0xFE && at + 1 < text.size()) ? 2 : 1;
    if (at + width > max_bytes) break;
    at += width;
  }
  return text.substr(0, at);
}
