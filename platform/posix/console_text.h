// Conversions for the Linux console, the one place where GBK text is shown.
#ifndef BRAMO_PLATFORM_POSIX_CONSOLE_TEXT_H_
#define BRAMO_PLATFORM_POSIX_CONSOLE_TEXT_H_

#include <optional>
#include <string>

namespace platform {

// GBK bytes as UTF-8.  Bytes that are not valid GBK come out as '?'.
std::string GbkToUtf8(const std::string& gbk);

// UTF-8 as GBK bytes.  Characters GBK lacks come out as '?'.
std::string Utf8ToGbk(const std::string& utf8);

// `text` from the code set `from` to `to` (iconv's names).  What does not
// convert comes out as '?'.
std::string ConvertText(const char* to, const char* from,
                        const std::string& text);

// `text` from `from` to `to`; nullopt when any of it does not convert.
std::optional<std::string> ConvertTextExactly(const char* to,
                                              const char* from,
                                              const std::string& text);

// A text on one console line: line ends shown as \n and \r.
std::string OneLine(const std::string& text);

}  // namespace platform

#endif  // BRAMO_PLATFORM_POSIX_CONSOLE_TEXT_H_
