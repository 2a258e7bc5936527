#include "controller/monitor/ipv4_kind.h"

#include <array>
#include <optional>

namespace {

std::optional<std::array<int, 4>> ParseDotted(const std::string& text) {
  std::array<int, 4> fields{};
  size_t at = 0;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) {
      if (at >= text.size() || text[at] != '.') return std::nullopt;
      ++at;
    }
    size_t digits = 0;
    int value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' &&
           digits < 3) {
      value = value * 10 + (text[at] - '0');
      ++at;
      ++digits;
    }
    if (digits == 0 || value > 255) return std::nullopt;
    fields[i] = value;
  }
  if (at != text.size()) return std::nullopt;
  return fields;
}

}  // namespace

Ipv4Kind ClassifyIpv4(const std::string& text) {
  const auto fields = ParseDotted(text);
  if (!fields) return Ipv4Kind::kNotAnAddress;
  const int a = (*fields)[0];
  const int b = (*fields)[1];
  if (*fields == std::array<int, 4>{0, 0, 0, 0}) return Ipv4Kind::kUnspecified;
  if (a == 127) return Ipv4Kind::kLoopback;
  if (a == 10 || (a == 172 && b >= 16 && b <= 31) || (a == 192 && b == 168)) {
    return Ipv4Kind::kPrivate;
  }
  if (a == 100 && b >= 64 && b <= 127) return Ipv4Kind::kShared;
  if (a == 169 && b == 254) return Ipv4Kind::kLinkLocal;
  return Ipv4Kind::kPublic;
}

bool IsBehindNat(Ipv4Kind kind) {
  return kind == Ipv4Kind::kPrivate || kind == Ipv4Kind::kShared;
}
