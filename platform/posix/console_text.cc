#include "platform/posix/console_text.h"

#include <iconv.h>

#include <cerrno>

namespace platform {
namespace {

// With `exact`, nullopt at the first sequence that does not convert;
// otherwise that byte shows as '?'.
std::optional<std::string> Convert(const char* to, const char* from,
                                   const std::string& in, bool exact) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    if (exact) return std::nullopt;
    return in;
  }
  std::string out;
  char buf[256];
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  while (left > 0) {
    char* dst = buf;
    size_t room = sizeof buf;
    size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buf, dst - buf);
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      if (exact) {
        iconv_close(cd);
        return std::nullopt;
      }
      // An invalid or cut sequence: show one byte as '?' and go on.
      out += '?';
      ++src;
      --left;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string ConvertText(const char* to, const char* from,
                        const std::string& text) {
  return *Convert(to, from, text, false);
}

std::optional<std::string> ConvertTextExactly(const char* to,
                                              const char* from,
                                              const std::string& text) {
  return Convert(to, from, text, true);
}

std::string GbkToUtf8(const std::string& gbk) {
  return *Convert("UTF-8", "GBK", gbk, false);
}

std::string Utf8ToGbk(const std::string& utf8) {
  return *Convert("GBK", "UTF-8", utf8, false);
}

std::string OneLine(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace platform
