// The Exec line of a freedesktop Desktop Entry for one program, written
// and read back by the format's rules, so that no folder name can add a
// line or a word of its own.
#ifndef BRAMO_PLATFORM_POSIX_DESKTOP_ENTRY_H_
#define BRAMO_PLATFORM_POSIX_DESKTOP_ENTRY_H_

#include <optional>
#include <string>

namespace platform {

// The value of Exec= that runs `program` (a Linux path) with no
// arguments: the path as one quoted argument, '"', '`', '$' and '\'
// escaped with a backslash and '%' doubled, then the string escapes of
// the format (\\, \n, \r, \t) applied, so the value is one line.
std::string DesktopExecValue(const std::string& program);

// The program of an Exec= value made by DesktopExecValue; nullopt when the
// value is not one quoted argument.
std::optional<std::string> DesktopExecProgram(const std::string& value);

}  // namespace platform

#endif  // BRAMO_PLATFORM_POSIX_DESKTOP_ENTRY_H_
