#include "controller/config/gbk_search.h"

namespace {

bool IsLeadByte(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  return b >= 0x81 && b <= 0xFE;
}

}  // namespace

size_t FindGbk(const std::string& text, const std::string& needle) {
  // Most texts do not hold the needle at all, at a character start or not.
  if (!needle.empty() && text.find(needle) == std::string::npos) {
    return std::string::npos;
  }
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, needle.size(), needle) == 0) return i;
    i += (IsLeadByte(text[i]) && i + 1 < text.size()) ? 2 : 1;
  }
  return needle.empty() ? 0 : std::string::npos;
}

bool IsCharacterStart(std::string_view text, size_t at) {
  size_t leads = 0;
  while (leads < at && IsLeadByte(text[at - 1 - leads])) ++leads;
  return leads % 2 == 0;
}

std::string BackslashesToSlashesGbk(const std::string& text) {
  std::string out = text;
  for (size_t i = 0; i < out.size();) {
    if (IsLeadByte(out[i]) && i + 1 < out.size()) {
      i += 2;
      continue;
    }
    if (out[i] == '\\') out[i] = '/';
    ++i;
  }
  return out;
}
