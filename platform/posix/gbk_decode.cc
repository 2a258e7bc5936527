#include "platform/posix/gbk_decode.h"

#include <cstdint>

namespace platform {
namespace {

#include "gbk_table.inc"

void AppendUtf8(uint16_t c, std::string* out) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | c >> 6);
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xE0 | c >> 12);
    *out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The character of the sequence at `at`, and its length; 0 when none.
uint16_t CharacterAt(const std::string& gbk, size_t at, size_t* length) {
  const auto lead = static_cast<unsigned char>(gbk[at]);
  *length = 1;
  if (lead < 0x80) return lead;
  if (uint16_t single = kGbkSingle[lead - 0x80]) return single;
  if (lead < 0x81 || lead > 0xFE || at + 1 >= gbk.size()) return 0;
  const auto trail = static_cast<unsigned char>(gbk[at + 1]);
  if (trail < 0x40 || trail > 0xFE) return 0;
  *length = 2;
  return kGbkPair[(lead - 0x81) * 191 + (trail - 0x40)];
}

}  // namespace

std::optional<std::string> DecodeGbk(const std::string& gbk, bool exact) {
  std::string out;
  out.reserve(gbk.size() + gbk.size() / 2);
  size_t at = 0;
  while (at < gbk.size()) {
    size_t length = 1;
    const uint16_t c = CharacterAt(gbk, at, &length);
    // NUL is a character of its own; any other 0 is no character.
    if (c == 0 && gbk[at] != '\0') {
      if (exact) return std::nullopt;
      out += '?';
      ++at;
      continue;
    }
    AppendUtf8(c, &out);
    at += length;
  }
  return out;
}

}  // namespace platform
