#include "tools/http_url.h"

#include <cctype>

namespace tools {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(c));
  return text;
}

bool ValidPort(const std::string& port) {
  if (port.empty() || port.size() > 5) return false;
  for (char c : port) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  const int value = std::stoi(port);
  return value >= 1 && value <= 65535;
}

// Host and port of an authority: "host", "host:port", "[v6]", "[v6]:port".
bool SplitAuthority(const std::string& authority, HttpUrl* url) {
  std::string rest;
  if (!authority.empty() && authority.front() == '[') {
    size_t close = authority.find(']');
    if (close == std::string::npos) return false;
    url->host = authority.substr(1, close - 1);
    rest = authority.substr(close + 1);
  } else {
    size_t colon = authority.find(':');
    url->host = authority.substr(0, colon);
    if (colon != std::string::npos) rest = authority.substr(colon);
  }
  url->port = "80";
  if (!rest.empty()) {
    // "host:" names no port: the default one.
    if (rest.front() != ':') return false;
    if (rest.size() > 1) url->port = rest.substr(1);
  }
  return !url->host.empty() && ValidPort(url->port);
}

}  // namespace

std::optional<HttpUrl> ParseHttpUrl(const std::string& url,
                                    std::string* error) {
  std::string rest = url;
  size_t scheme_end = rest.find("://");
  if (scheme_end != std::string::npos) {
    if (Lower(rest.substr(0, scheme_end)) != "http") {
      *error = "Unsupported protocol";
      return std::nullopt;
    }
    rest = rest.substr(scheme_end + 3);
  }
  size_t authority_end = rest.find_first_of("/?#");
  std::string authority = rest.substr(0, authority_end);
  std::string target =
      authority_end == std::string::npos ? "" : rest.substr(authority_end);
  HttpUrl parts;
  if (authority.find('@') != std::string::npos ||
      !SplitAuthority(authority, &parts)) {
    *error = "URL using bad/illegal format or missing URL";
    return std::nullopt;
  }
  if (size_t hash = target.find('#'); hash != std::string::npos) {
    target.resize(hash);
  }
  if (target.empty() || target.front() != '/') target = "/" + target;
  parts.target = target;
  const bool v6 = parts.host.find(':') != std::string::npos;
  parts.host_header = v6 ? "[" + parts.host + "]" : parts.host;
  if (parts.port != "80") parts.host_header += ":" + parts.port;
  return parts;
}

}  // namespace tools
