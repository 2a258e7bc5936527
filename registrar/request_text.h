// The registration request: the record's seven values and the form body
// that carries them to the registration service.
#ifndef BRAMO_REGISTRAR_REQUEST_TEXT_H_
#define BRAMO_REGISTRAR_REQUEST_TEXT_H_

#include <string>

namespace registrar {

struct AddressRecord {
  std::string uname;
  std::string mac;
  std::string pin;
  std::string ipv4;
  std::string ipv6;  // always empty today; the service expects the member
  std::string port;
  std::string https;
};

// One value as it goes between the quotes of a JSON string inside the
// form field: '"' and '\' escaped, control bytes as \u00XX, then '%', '&'
// and '+' percent-encoded so that form decoding gives the JSON text back.
// GBK double-byte characters pass whole (their second byte may be a
// backslash, which is not escaped); a lead byte without its second byte
// goes as \u00XX when a backslash escape follows it; other bytes pass
// unchanged.
std::string FormJsonValue(const std::string& value);

// "dnsData={"uname":"...",...,"https":"..."}" with the members in the
// service's order.  Values without the bytes above appear as they are.
std::string RequestBody(const AddressRecord& record);

}  // namespace registrar

#endif  // BRAMO_REGISTRAR_REQUEST_TEXT_H_
