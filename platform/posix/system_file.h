// Reading a whole file of the system (a /proc entry, a small settings
// file) with plain reads, without the stream machinery.
#ifndef BRAMO_PLATFORM_POSIX_SYSTEM_FILE_H_
#define BRAMO_PLATFORM_POSIX_SYSTEM_FILE_H_

#include <optional>
#include <string>

namespace platform {

// The bytes of `path`, read to its end; empty when it cannot be opened or
// read.  /proc files report no size, so nothing is assumed of it.
std::optional<std::string> ReadSystemFile(const std::string& path);

}  // namespace platform

#endif  // BRAMO_PLATFORM_POSIX_SYSTEM_FILE_H_
