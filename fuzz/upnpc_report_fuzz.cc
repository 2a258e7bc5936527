// Whatever the router client prints, the diagnosis names only known causes
// with evidence of their form (an address, "?", a number): the home page
// gets no byte of the router's answer that is not one of those.
// The input is upnpc's status, list and mapping answers, split at 0x01.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "controller/monitor/ipv4_kind.h"
#include "controller/monitor/unreachable_cause.h"
#include "controller/monitor/upnpc_report.h"

namespace {

bool IsNumber(const std::string& word) {
  if (word.empty() || word.size() > 5) return false;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool IsAddress(const std::string& word, bool unknownAllowed) {
  if (unknownAllowed && word == "?") return true;
  return ClassifyIpv4(word) != Ipv4Kind::kNotAnAddress;
}

void CheckLine(const std::string& line) {
  std::istringstream in(line);
  std::string keyword;
  std::vector<std::string> words;
  in >> keyword;
  for (std::string word; in >> word;) words.push_back(word);
  const size_t n = words.size();
  bool fits = false;
  if (keyword == "no-upnp") fits = n == 0;
  if (keyword == "double-nat" || keyword == "cgnat") {
    fits = n == 2 && IsAddress(words[0], true) && IsAddress(words[1], false);
  }
  if (keyword == "refused") fits = n == 2 && IsNumber(words[0]) && IsNumber(words[1]);
  if (keyword == "no-loopback") fits = n == 1 && IsNumber(words[0]);
  if (keyword == "public-lan") fits = n == 1 && IsAddress(words[0], false);
  if (!fits) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts(3);
  size_t part = 0;
  for (char c : text) {
    if (c == '\x01' && part < 2) {
      ++part;
    } else {
      parts[part] += c;
    }
  }
  DiagnosisInput input;
  input.localIp = "192.168.77.2";
  input.externalIp = "203.0.113.1";
  input.httpPort = 80;
  input.httpsPort = 443;
  input.routerHttpPort = 18080;
  input.routerHttpsPort = 18443;
  RouterFacts facts;
  facts.status = ReadUpnpcStatus(parts[0]);
  facts.mappings = ReadUpnpcList(parts[1]);
  for (const RouterMapping& mapping : facts.mappings) {
    if (mapping.externalPort < 0 || mapping.externalPort > 99999 ||
        mapping.internalPort < 0 || mapping.internalPort > 99999) {
      std::abort();
    }
  }
  input.router = facts;
  for (int port : PortsToProbe(input)) {
    if (auto code = ReadUpnpcRefusal(parts[2])) {
      if (*code < 0 || *code > 99999) std::abort();
      facts.refusals[port] = *code;
    }
  }
  input.router = facts;
  const std::string diagnosis = FormatCauses(DiagnoseUnreachable(input));
  if (!diagnosis.empty() && diagnosis.back() != '\n') std::abort();
  std::istringstream lines(diagnosis);
  for (std::string line; std::getline(lines, line);) CheckLine(line);
  return 0;
}
