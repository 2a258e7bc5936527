// File names and command lines between the system's code and Linux.
//
// The system's code spells paths as Windows does: ANSI text (GBK) with
// backslashes.  Linux names files in UTF-8 with slashes.  As the Windows
// ANSI calls convert between the code page and the file system's own
// encoding, this layer converts at its boundary, both ways.
#ifndef BRAMO_PLATFORM_POSIX_LINUX_NAME_H_
#define BRAMO_PLATFORM_POSIX_LINUX_NAME_H_

#include <string>

namespace platform {

// A path of the system's code as Linux names it: UTF-8 (a byte that is no
// GBK comes out as '?'), then backslashes as slashes.  In that order, so
// that a GBK trail byte 0x5C stays part of its character.
std::string ToLinuxName(const std::string& path);

// A Linux path as the system's code sees it: slashes as backslashes, then
// GBK, where a character GBK lacks comes out as '?' (one per byte), as
// the ANSI calls show it; the controller refuses such a folder.
std::string FromLinuxName(const std::string& path);

// A command line of the system's code (GBK) as the UTF-8 text the Linux
// programs it starts read.
std::string ToLinuxText(const std::string& text);

}  // namespace platform

#endif  // BRAMO_PLATFORM_POSIX_LINUX_NAME_H_
