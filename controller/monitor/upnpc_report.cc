#include "controller/monitor/upnpc_report.h"

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::string Trimmed(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

// A decimal number of one to five digits at `at`, moving past it.
std::optional<int> Number(const std::string& text, size_t* at) {
  int value = 0;
  size_t digits = 0;
  while (*at < text.size() && text[*at] >= '0' && text[*at] <= '9') {
    if (++digits > 5) return std::nullopt;
    value = value * 10 + (text[*at] - '0');
    ++*at;
  }
  if (digits == 0) return std::nullopt;
  return value;
}

bool Skip(const std::string& text, size_t* at, const std::string& expected) {
  if (text.compare(*at, expected.size(), expected) != 0) return false;
  *at += expected.size();
  return true;
}

void SkipBlanks(const std::string& text, size_t* at) {
  while (*at < text.size() && (text[*at] == ' ' || text[*at] == '\t')) ++*at;
}

// "<index> <protocol> <external>-><address>:<internal>" and the rest.
std::optional<RouterMapping> ReadMapping(const std::string& line) {
  size_t at = 0;
  SkipBlanks(line, &at);
  if (!Number(line, &at)) return std::nullopt;
  SkipBlanks(line, &at);
  const size_t protocolBegin = at;
  while (at < line.size() && line[at] >= 'A' && line[at] <= 'Z') ++at;
  RouterMapping mapping;
  mapping.protocol = line.substr(protocolBegin, at - protocolBegin);
  SkipBlanks(line, &at);
  const auto external = Number(line, &at);
  if (mapping.protocol.empty() || !external || !Skip(line, &at, "->")) {
    return std::nullopt;
  }
  const size_t colon = line.find(':', at);
  if (colon == std::string::npos) return std::nullopt;
  mapping.internalAddress = line.substr(at, colon - at);
  at = colon + 1;
  const auto internal = Number(line, &at);
  if (!internal) return std::nullopt;
  mapping.externalPort = *external;
  mapping.internalPort = *internal;
  return mapping;
}

}  // namespace

RouterStatus ReadUpnpcStatus(const std::string& output) {
  RouterStatus status;
  for (const std::string& line : Lines(output)) {
    if (StartsWith(line, "Found valid IGD")) {
      status.gateway = RouterStatus::Gateway::kConnected;
    } else if (StartsWith(line, "Found a (not connected?) IGD")) {
      status.gateway = RouterStatus::Gateway::kNotConnected;
    } else if (StartsWith(line, "ExternalIPAddress = ")) {
      status.wanAddress = Trimmed(line.substr(20));
    }
  }
  return status;
}

// Only the lines of the table count; the head above it and the closing
// "GetGenericPortMappingEntry() returned 713" are no mappings.
std::vector<RouterMapping> ReadUpnpcList(const std::string& output) {
  std::vector<RouterMapping> mappings;
  for (const std::string& line : Lines(output)) {
    if (auto mapping = ReadMapping(line)) mappings.push_back(*mapping);
  }
  return mappings;
}

std::optional<int> ReadUpnpcRefusal(const std::string& output) {
  for (const std::string& line : Lines(output)) {
    if (!StartsWith(line, "AddPortMapping(")) continue;
    const std::string marker = "failed with code ";
    const size_t found = line.find(marker);
    if (found == std::string::npos) continue;
    size_t at = found + marker.size();
    if (auto code = Number(line, &at)) return code;
  }
  return std::nullopt;
}
