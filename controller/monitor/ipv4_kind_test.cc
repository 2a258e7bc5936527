#include "controller/monitor/ipv4_kind.h"

#include <gtest/gtest.h>

namespace {

TEST(Ipv4KindTest, TellsTheRangesApart) {
  const std::vector<std::pair<const char*, Ipv4Kind>> cases = {
      {"10.0.0.1", Ipv4Kind::kPrivate},
      {"172.16.0.1", Ipv4Kind::kPrivate},
      {"172.31.255.255", Ipv4Kind::kPrivate},
      {"172.32.0.1", Ipv4Kind::kPublic},
      {"172.15.0.1", Ipv4Kind::kPublic},
      {"192.168.77.2", Ipv4Kind::kPrivate},
      {"192.169.0.1", Ipv4Kind::kPublic},
      {"100.64.0.2", Ipv4Kind::kShared},
      {"100.127.255.255", Ipv4Kind::kShared},
      {"100.63.0.1", Ipv4Kind::kPublic},
      {"100.128.0.1", Ipv4Kind::kPublic},
      {"127.0.0.1", Ipv4Kind::kLoopback},
      {"169.254.1.1", Ipv4Kind::kLinkLocal},
      {"0.0.0.0", Ipv4Kind::kUnspecified},
      {"203.0.113.1", Ipv4Kind::kPublic},
      {"11.22.33.44", Ipv4Kind::kPublic},
      {"", Ipv4Kind::kNotAnAddress},
      {"?", Ipv4Kind::kNotAnAddress},
      {"1.2.3", Ipv4Kind::kNotAnAddress},
      {"1.2.3.4.5", Ipv4Kind::kNotAnAddress},
      {"1.2.3.256", Ipv4Kind::kNotAnAddress},
      {"1.2.3.0004", Ipv4Kind::kNotAnAddress},
      {" 1.2.3.4", Ipv4Kind::kNotAnAddress},
      {"1.2.3.4\n", Ipv4Kind::kNotAnAddress},
      {"1..3.4", Ipv4Kind::kNotAnAddress},
  };
  for (const auto& [text, kind] : cases) {
    EXPECT_EQ(ClassifyIpv4(text), kind) << text;
  }
}

}  // namespace
