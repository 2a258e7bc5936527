#include "platform/posix/console_text.h"

#include <iconv.h>

namespace platform {
namespace {

std::string Convert(const char* to, const char* from, const std::string& in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return in;
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
  return Convert(to, from, text);
}

std::string GbkToUtf8(const std::string& gbk) {
  return Convert("UTF-8", "GBK", gbk);
}

std::string Utf8ToGbk(const std::string& utf8) {
  return Convert("GBK", "UTF-8", utf8);
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
