// Comparison of ASCII words without regard to case, as the Windows tools
// compare program names, keywords and switches.  Only A to Z fold; every
// other byte must match exactly.
#ifndef BRAMO_TOOLS_TEXT_CASE_H_
#define BRAMO_TOOLS_TEXT_CASE_H_

#include <string_view>

namespace tools {

inline char FoldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

}  // namespace tools

#endif  // BRAMO_TOOLS_TEXT_CASE_H_
