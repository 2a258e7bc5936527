// Byte searches that know GBK (code page 936): a lead byte 0x81 to 0xFE
// and the byte after it form one character, and a trail byte never starts
// a match or is converted.
#ifndef BRAMO_CONTROLLER_CONFIG_GBK_SEARCH_H_
#define BRAMO_CONTROLLER_CONFIG_GBK_SEARCH_H_

#include <string>
#include <string_view>

// The first position of `needle` in `text` at a character start; npos
// when there is none.
size_t FindGbk(const std::string& text, const std::string& needle);

// Whether byte `at` of `text` starts a character as FindGbk steps: the
// run of lead-range bytes just before it is of even length (the byte
// before such a run ends a character, whatever it is).
bool IsCharacterStart(std::string_view text, size_t at);

// `text` with every single-byte backslash turned into a slash.
std::string BackslashesToSlashesGbk(const std::string& text);

#endif  // BRAMO_CONTROLLER_CONFIG_GBK_SEARCH_H_
