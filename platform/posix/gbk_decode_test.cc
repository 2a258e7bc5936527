#include "platform/posix/gbk_decode.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>

namespace platform {
namespace {

// iconv's reading of `in`: what does not decode shows as '?', one byte at
// a time.  nullopt when anything did not decode.
std::pair<std::string, bool> IconvDecode(iconv_t cd, const std::string& in) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  bool whole = true;
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  while (left > 0) {
    char buf[64];
    char* dst = buf;
    size_t room = sizeof buf;
    size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buf, dst - buf);
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      whole = false;
      out += '?';
      ++src;
      --left;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return {out, whole};
}

// Every byte pair after a high byte, alone, cut at the end and followed by
// ASCII: the tables and their reader give what iconv gives.
TEST(GbkDecodeTest, EverySequenceDecodesAsIconvDecodesIt) {
  iconv_t cd = iconv_open("UTF-8", "GBK");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  int differ = 0;
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    const std::string cut(1, static_cast<char>(lead));
    for (int trail = 0; trail <= 0x100 && differ < 10; ++trail) {
      const std::string in =
          trail == 0x100 ? cut : cut + static_cast<char>(trail) + "x";
      const auto [want, whole] = IconvDecode(cd, in);
      const std::optional<std::string> lenient = DecodeGbk(in, false);
      const std::optional<std::string> exact = DecodeGbk(in, true);
      if (lenient != want || exact.has_value() != whole ||
          (whole && *exact != want)) {
        ++differ;
        ADD_FAILURE() << std::hex << "lead " << lead << " trail " << trail
                      << ": iconv gives '" << want << "'";
      }
    }
  }
  iconv_close(cd);
}

}  // namespace
}  // namespace platform
