// Writes the GBK decoding tables of the Linux layer (gbk_decode.cc) from
// the system's own iconv, so that the layer decodes GBK exactly as iconv
// does without loading iconv's GBK module for it:
//   kGbkSingle[b - 0x80]  the character of the single byte b (0x80..0xFF);
//   kGbkPair[(lead - 0x81) * 191 + trail - 0x40]  that of a two-byte
//                         sequence (lead 0x81..0xFE, trail 0x40..0xFE);
// 0 where iconv gives none.
//   gbk_table_gen <output file>
#include <iconv.h>

#include <cstdint>
#include <cstdio>

namespace {

// The one character `bytes` decode to, whole, or 0.
uint32_t Decode(iconv_t cd, const char* bytes, size_t size) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char in[2] = {bytes[0], size > 1 ? bytes[1] : '\0'};
  char* src = in;
  size_t left = size;
  unsigned char out[16];
  char* dst = reinterpret_cast<char*>(out);
  size_t room = sizeof out;
  if (iconv(cd, &src, &left, &dst, &room) == static_cast<size_t>(-1) ||
      left != 0 || sizeof out - room != 4) {
    return 0;
  }
  return out[0] | out[1] << 8 | out[2] << 16 |
         static_cast<uint32_t>(out[3]) << 24;
}

bool Write(std::FILE* file, iconv_t cd) {
  std::fprintf(file, "// Made by gbk_table_gen from the system's iconv.\n");
  std::fprintf(file, "const uint16_t kGbkSingle[128] = {\n");
  for (int b = 0x80; b <= 0xFF; ++b) {
    const char byte = static_cast<char>(b);
    uint32_t c = Decode(cd, &byte, 1);
    if (c > 0xFFFF) return false;
    std::fprintf(file, "0x%04x,%s", c, b % 8 == 7 ? "\n" : " ");
  }
  std::fprintf(file, "};\nconst uint16_t kGbkPair[126 * 191] = {\n");
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      uint32_t c = Decode(cd, pair, 2);
      if (c > 0xFFFF) return false;
      std::fprintf(file, "0x%04x,%s", c, trail % 8 == 7 ? "\n" : " ");
    }
  }
  std::fprintf(file, "\n};\n");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gbk_table_gen <output file>\n");
    return 2;
  }
  iconv_t cd = iconv_open("UTF-32LE", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    std::perror("gbk_table_gen: iconv_open GBK");
    return 1;
  }
  std::FILE* file = std::fopen(argv[1], "w");
  if (file == nullptr) {
    std::perror(argv[1]);
    iconv_close(cd);
    return 1;
  }
  bool ok = Write(file, cd);
  iconv_close(cd);
  ok = std::fclose(file) == 0 && ok;
  if (!ok) {
    std::fprintf(stderr,
                 "gbk_table_gen: a character beyond U+FFFF, or %s "
                 "could not be written\n",
                 argv[1]);
    std::remove(argv[1]);
    return 1;
  }
  return 0;
}
