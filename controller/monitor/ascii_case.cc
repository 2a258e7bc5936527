#include "controller/monitor/ascii_case.h"

namespace {

// Not tolower(): its answer for bytes above 0x7F depends on the locale.
char Fold(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool IsLeadByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x81 && byte <= 0xFE;
}

}  // namespace

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  bool trail = false;  // a[i] is the second byte of a double-byte character
  for (size_t i = 0; i < a.size(); ++i) {
    // Up to i the texts agree but for letters' case, and letters are never
    // lead bytes: both texts are at the same place in a character.
    if (trail ? a[i] != b[i] : Fold(a[i]) != Fold(b[i])) return false;
    trail = !trail && IsLeadByte(a[i]);
  }
  return true;
}
