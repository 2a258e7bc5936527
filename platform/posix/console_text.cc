#include "platform/posix/console_text.h"

#include <iconv.h>
#include <strings.h>

#include <cerrno>
#include <vector>

#include "platform/posix/gbk_decode.h"

namespace platform {
namespace {

// iconv_open looks the converter up anew on every call, and texts and paths
// are converted many times a minute: each thread keeps the descriptors it
// opened (one descriptor must not be used by two threads at once).
class Converters {
 public:
  Converters() = default;
  Converters(const Converters&) = delete;
  Converters& operator=(const Converters&) = delete;
  ~Converters() {
    for (const Open& open : open_) iconv_close(open.cd);
  }

  // A descriptor in its initial state, or (iconv_t)-1.
  iconv_t Get(const char* to, const char* from) {
    for (const Open& open : open_) {
      if (open.to == to && open.from == from) {
        iconv(open.cd, nullptr, nullptr, nullptr, nullptr);
        return open.cd;
      }
    }
    iconv_t cd = iconv_open(to, from);
    if (cd != reinterpret_cast<iconv_t>(-1)) open_.push_back({to, from, cd});
    return cd;
  }

 private:
  struct Open {
    std::string to;
    std::string from;
    iconv_t cd;
  };
  std::vector<Open> open_;
};

bool IsAscii(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// With `exact`, nullopt at the first sequence that does not convert;
// otherwise that byte shows as '?'.
std::optional<std::string> Convert(const char* to, const char* from,
                                   const std::string& in, bool exact) {
  if (strcasecmp(to, "UTF-8") == 0 && strcasecmp(from, "GBK") == 0) {
    return DecodeGbk(in, exact);
  }
  thread_local Converters converters;
  iconv_t cd = converters.Get(to, from);
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
      if (exact) return std::nullopt;
      // An invalid or cut sequence: show one byte as '?' and go on.
      out += '?';
      ++src;
      --left;
    }
  }
  return out;
}

}  // namespace

std::string ConvertText(const char* to, const char* from,
                        const std::string& text) {
  return *Convert(to, from, text, false);
}

std::optional<std::string> ConvertTextExactly(const char* to, const char* from,
                                              const std::string& text) {
  return Convert(to, from, text, true);
}

// Both encodings keep ASCII as it is, and most texts and paths are ASCII.
std::string GbkToUtf8(const std::string& gbk) {
  return IsAscii(gbk) ? gbk : *Convert("UTF-8", "GBK", gbk, false);
}

std::string Utf8ToGbk(const std::string& utf8) {
  return IsAscii(utf8) ? utf8 : *Convert("GBK", "UTF-8", utf8, false);
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
