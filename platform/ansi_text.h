// The ANSI code page's text (GBK, code page 936) as UTF-8.
//
// Apache and PHP read the paths in their configuration files as UTF-8, on
// Windows as on Linux, while the system's texts are ANSI text.  Each real
// layer implements this with its own conversion (iconv on Linux, the code
// page calls on Windows); Files::AnsiToUtf8 and the fake use it.
#ifndef BRAMO_PLATFORM_ANSI_TEXT_H_
#define BRAMO_PLATFORM_ANSI_TEXT_H_

#include <optional>
#include <string>

namespace platform {

// `text` as UTF-8; nullopt when it holds a byte sequence that is no
// character of the code page (a cut or invalid pair).
std::optional<std::string> AnsiTextToUtf8(const std::string& text);

}  // namespace platform

#endif  // BRAMO_PLATFORM_ANSI_TEXT_H_
