// GBK to UTF-8 by tables made from the system's iconv at build time: the
// same result as iconv, without its GBK module in memory (the tray's texts
// are decoded every minute).
#ifndef BRAMO_PLATFORM_POSIX_GBK_DECODE_H_
#define BRAMO_PLATFORM_POSIX_GBK_DECODE_H_

#include <optional>
#include <string>

namespace platform {

// `gbk` as UTF-8.  A byte that starts no valid sequence (a cut one at the
// end included) comes out as '?' when `exact` is false, and decoding goes
// on at the next byte; with `exact` the result is then nullopt.
std::optional<std::string> DecodeGbk(const std::string& gbk, bool exact);

}  // namespace platform

#endif  // BRAMO_PLATFORM_POSIX_GBK_DECODE_H_
