// The posix layer speaks Windows paths to the system's code.
#ifndef BRAMO_PLATFORM_POSIX_NATIVE_PATH_H_
#define BRAMO_PLATFORM_POSIX_NATIVE_PATH_H_

#include <string>

namespace platform {

// A Windows-style path of the system's code as a Linux path: backslashes
// become slashes.  Linux paths pass unchanged.
std::string ToNativePath(const std::string& path);

// A Linux path as the system's code sees it: slashes become backslashes,
// so "/opt/bramo/Sablo.exe" reads "\opt\bramo\Sablo.exe".
std::string FromNativePath(const std::string& path);

// The folder of the running program, with a trailing slash.
std::string NativeProgramFolder();

}  // namespace platform

#endif  // BRAMO_PLATFORM_POSIX_NATIVE_PATH_H_
