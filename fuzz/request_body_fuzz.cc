// Whatever the seven values of the address record hold, the form field of
// the registration body decodes back to a JSON object, and the JSON back
// to the seven values.  The decoders here are strict: anything the
// service's decoding would read differently fails them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_fields.h"
#include "registrar/request_text.h"

namespace {

using registrar::AddressRecord;
using registrar::RequestBody;

const char* const kMembers[] = {"uname", "mac",  "pin",  "ipv4",
                                "ipv6",  "port", "https"};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// application/x-www-form-urlencoded: one field "dnsData", '+' a blank,
// %XX a byte.  nullopt for a second field or a broken escape.
std::optional<std::string> FormField(const std::string& body) {
  const std::string name = "dnsData=";
  if (body.compare(0, name.size(), name) != 0) return std::nullopt;
  std::string value;
  for (size_t i = name.size(); i < body.size(); ++i) {
    const char c = body[i];
    if (c == '&') return std::nullopt;  // a second field
    if (c == '+') {
      value += ' ';
    } else if (c == '%') {
      if (i + 2 >= body.size()) return std::nullopt;
      const int high = HexDigit(body[i + 1]), low = HexDigit(body[i + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      value += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      value += c;
    }
  }
  return value;
}

bool IsGbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsGbkTrail(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

// A JSON string at `at` (its opening quote), read as GBK text: a lead byte
// and a trail byte are one character, whatever the trail byte is; escapes
// are \" \\ \/ \b \f \n \r \t and \u00XX for one byte.  Control bytes must
// be escaped.  Leaves `at` after the closing quote.
std::optional<std::string> JsonString(const std::string& json, size_t& at) {
  if (at >= json.size() || json[at] != '"') return std::nullopt;
  std::string out;
  for (++at; at < json.size();) {
    const auto c = static_cast<unsigned char>(json[at]);
    if (IsGbkLead(c) && at + 1 < json.size() &&
        IsGbkTrail(static_cast<unsigned char>(json[at + 1]))) {
      out += json.substr(at, 2);
      at += 2;
    } else if (c == '"') {
      ++at;
      return out;
    } else if (c < 0x20) {
      return std::nullopt;
    } else if (c != '\\') {
      out += json[at++];
    } else {
      if (at + 1 >= json.size()) return std::nullopt;
      const char e = json[at + 1];
      const std::string simple = "\"\\/bfnrt";
      const std::string meaning = "\"\\/\b\f\n\r\t";
      if (simple.find(e) != std::string::npos) {
        out += meaning[simple.find(e)];
        at += 2;
        continue;
      }
      if (e != 'u' || at + 6 > json.size() || json[at + 2] != '0' ||
          json[at + 3] != '0') {
        return std::nullopt;
      }
      const int high = HexDigit(json[at + 4]), low = HexDigit(json[at + 5]);
      if (high < 0 || low < 0) return std::nullopt;
      out += static_cast<char>(high * 16 + low);
      at += 6;
    }
  }
  return std::nullopt;  // no closing quote
}

// {"uname":"...",...,"https":"..."}: exactly the seven members, in order,
// and nothing after the object.
std::optional<std::vector<std::string>> JsonRecord(const std::string& json) {
  std::vector<std::string> values;
  size_t at = 0;
  if (json.empty() || json[at++] != '{') return std::nullopt;
  for (const char* member : kMembers) {
    if (!values.empty() && (at >= json.size() || json[at++] != ',')) {
      return std::nullopt;
    }
    const std::optional<std::string> name = JsonString(json, at);
    if (!name || *name != member) return std::nullopt;
    if (at >= json.size() || json[at++] != ':') return std::nullopt;
    const std::optional<std::string> value = JsonString(json, at);
    if (!value) return std::nullopt;
    values.push_back(*value);
  }
  if (at + 1 != json.size() || json[at] != '}') return std::nullopt;
  return values;
}

// Values of printable ASCII without the bytes the body escapes go in as
// they are, so the body reads as the service has always seen it.
bool IsPlain(const std::string& value) {
  for (unsigned char c : value) {
    if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\' || c == '%' ||
        c == '&' || c == '+') {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzFields in(data, size);
  std::vector<std::string> values;
  for (int i = 0; i < 7; ++i) values.push_back(in.Next());
  const AddressRecord record{values[0], values[1], values[2], values[3],
                             values[4], values[5], values[6]};
  const std::string body = RequestBody(record);

  const std::optional<std::string> json = FormField(body);
  if (!json) std::abort();
  const std::optional<std::vector<std::string>> decoded = JsonRecord(*json);
  if (!decoded || *decoded != values) std::abort();

  bool plain = true;
  std::string expected = "dnsData={";
  for (int i = 0; i < 7; ++i) {
    plain = plain && IsPlain(values[i]);
    expected += std::string(i == 0 ? "" : ",") + "\"" + kMembers[i] + "\":\"" +
                values[i] + "\"";
  }
  if (plain && body != expected + "}") std::abort();
  return 0;
}
