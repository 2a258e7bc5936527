// The parts of an http:// address that one plain GET needs.
#ifndef BRAMO_TOOLS_HTTP_URL_H_
#define BRAMO_TOOLS_HTTP_URL_H_

#include <optional>
#include <string>

namespace tools {

struct HttpUrl {
  std::string host;    // a name or an address; an IPv6 one without brackets
  std::string port;    // decimal; "80" when the address names none
  std::string target;  // path and query, "/" when empty; no fragment
  std::string host_header;  // the Host header's value: the port only when
                            // it is not 80, an IPv6 address in brackets
};

// Splits `url`.  An address without a scheme is taken as http://, as
// curl does.  Empty, with `error` set, for another scheme (there is no
// TLS here), user names, an empty host or a port that is not 1..65535.
std::optional<HttpUrl> ParseHttpUrl(const std::string& url, std::string* error);

}  // namespace tools

#endif  // BRAMO_TOOLS_HTTP_URL_H_
