// The tooltip texts stay inside their buffer whatever the addresses hold,
// and the tray's cut never leaves half a character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "controller/monitor/status_text.h"
#include "controller/shell/gbk_text.h"

namespace {

// Splits the input at zero bytes into the texts of one call.
std::string Next(const uint8_t*& data, size_t& size) {
  const auto* end = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const size_t length = end == nullptr ? size : end - data;
  std::string text(reinterpret_cast<const char*>(data), length);
  const size_t used = end == nullptr ? length : length + 1;
  data += used;
  size -= used;
  return text;
}

int NextPort(const uint8_t*& data, size_t& size) {
  uint32_t port = 0;
  for (int i = 0; i < 4 && size > 0; ++i, ++data, --size) {
    port = port * 256 + *data;
  }
  return static_cast<int>(port);  // any int, negative ones too
}

bool IsLead(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x81 && byte <= 0xFE;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool mode = (data[0] & 1) != 0;
  ++data;
  --size;
  StatusFields fields;
  fields.httpPort = NextPort(data, size);
  fields.httpsPort = NextPort(data, size);
  fields.routerHttpPort = NextPort(data, size);
  fields.routerHttpsPort = NextPort(data, size);
  const std::string user = Next(data, size);
  const std::string answer = Next(data, size);
  fields.localIp = Next(data, size);
  fields.externalIp = Next(data, size);

  const std::string text = BuildStatusText(mode, user, answer, fields);
  if (text.size() > 1023 || text.empty()) std::abort();
  if (user.empty() != (text == BuildStatusText(false, "", "", fields))) {
    std::abort();
  }
  if (!user.empty() && fields.localIp.size() < 200 &&
      fields.externalIp.size() < 200 &&
      (text.find(fields.localIp) == std::string::npos ||
       text.find(fields.externalIp) == std::string::npos)) {
    std::abort();
  }

  const std::string tip = CutGbk(text, 127);
  if (tip.size() > 127 || text.compare(0, tip.size(), tip) != 0) std::abort();
  if (tip.size() < text.size()) {
    // Walking the kept part by characters ends exactly at its end, and no
    // more than one byte is given up.
    size_t i = 0;
    while (i < tip.size()) i += IsLead(tip[i]) ? 2 : 1;
    if (i != tip.size() || tip.size() < 126) std::abort();
  }
  return 0;
}
