// Our own implementation of the Windows profile-string rules, on a file's
// content held in memory.  The posix layer and the fake use it on real
// files; the win32 layer calls the Windows API instead, and the same
// behaviour tests run against both.
#ifndef BRAMO_PLATFORM_COMMON_PROFILE_TEXT_H_
#define BRAMO_PLATFORM_COMMON_PROFILE_TEXT_H_

#include <cstddef>
#include <string>

namespace platform {

// What GetPrivateProfileStringA puts in a buffer of `size` bytes:
//  - section and key names match without regard to ASCII case, the first
//    matching section and in it the first matching key winning; a line
//    whose name begins with ';' never matches;
//  - blanks and tabs around names and values are trimmed, the value is
//    what follows the first '=', and one matching pair of outer double or
//    single quotes is removed;
//  - a missing section or key gives `default_value`;
//  - the result is cut to size - 1 bytes (nothing for a size of 0).
// Bytes are not interpreted: GBK passes through, a byte order mark is not
// special.
std::string ReadProfileText(const std::string& content,
                            const std::string& section, const std::string& key,
                            const std::string& default_value, size_t size);

// The content after WritePrivateProfileStringA(section, key, value):
//  - the key's own line becomes "<name as the file spells it>=<value>",
//    keeping its line end; every other line stays byte for byte;
//  - a new key goes after the last key line of its section (right after
//    the section line when it has none), ending in CR LF;
//  - a new section is added at the end: "[section]\r\nkey=value\r\n";
//  - blanks and tabs are stripped from the names passed in; the value is
//    written exactly as given.
std::string WriteProfileTextInto(const std::string& content,
                                 const std::string& section,
                                 const std::string& key,
                                 const std::string& value);

}  // namespace platform

#endif  // BRAMO_PLATFORM_COMMON_PROFILE_TEXT_H_
