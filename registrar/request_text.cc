#include "registrar/request_text.h"

namespace registrar {
namespace {

bool IsGbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsGbkTrail(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }
bool IsEscapedWithBackslash(unsigned char c) {
  return c == '"' || c == '\\' || c < 0x20;
}

void AppendHex(unsigned char c, const char* prefix, std::string* out) {
  static const char kDigits[] = "0123456789ABCDEF";
  *out += prefix;
  *out += kDigits[c >> 4];
  *out += kDigits[c & 0xF];
}

}  // namespace

std::string FormJsonValue(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(value[i]);
    if (IsGbkLead(c) && i + 1 < value.size() &&
        IsGbkTrail(static_cast<unsigned char>(value[i + 1]))) {
      out += value[i];
      out += value[++i];
    } else if (c < 0x20 || (IsGbkLead(c) && i + 1 < value.size() &&
                            IsEscapedWithBackslash(
                                static_cast<unsigned char>(value[i + 1])))) {
      // "\u00XX" holds none of the bytes form decoding changes.  A lead
      // byte written raw before an escape would make a GBK reader take the
      // escape's backslash for its second byte and lose the escape.
      AppendHex(c, "\\u00", &out);
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += value[i];
    } else if (c == '%' || c == '&' || c == '+') {
      AppendHex(c, "%", &out);
    } else {
      out += value[i];
    }
  }
  return out;
}

std::string RequestBody(const AddressRecord& r) {
  auto member = [](const char* key, const std::string& value) {
    return std::string("\"") + key + "\":\"" + FormJsonValue(value) + "\"";
  };
  return "dnsData={" + member("uname", r.uname) + "," + member("mac", r.mac) +
         "," + member("pin", r.pin) + "," + member("ipv4", r.ipv4) + "," +
         member("ipv6", r.ipv6) + "," + member("port", r.port) + "," +
         member("https", r.https) + "}";
}

}  // namespace registrar
