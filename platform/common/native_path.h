// Windows paths of the system's code and the Linux paths they stand for.
// The posix layer and the fake's file verbs use these at their boundary.
#ifndef BRAMO_PLATFORM_COMMON_NATIVE_PATH_H_
#define BRAMO_PLATFORM_COMMON_NATIVE_PATH_H_

#include <string>

namespace platform {

// A Windows-style path of the system's code as a Linux path: backslashes
// become slashes.  Linux paths pass unchanged.
std::string ToNativePath(const std::string& path);

// A Linux path as the system's code sees it: slashes become backslashes,
// so "/opt/bramo/Sablo.exe" reads "\opt\bramo\Sablo.exe".
std::string FromNativePath(const std::string& path);

}  // namespace platform

#endif  // BRAMO_PLATFORM_COMMON_NATIVE_PATH_H_
