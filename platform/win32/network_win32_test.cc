#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/win32/win32_env.h"

namespace {

// The resolver's first address for the machine's own name, in dotted
// form, whatever adapter it belongs to.
TEST(LocalAddressTest, TheOwnHostNameGivesADottedAddress) {
  platform::Win32Env env;
  const std::string text = env.LocalIpv4Address();
  ASSERT_FALSE(text.empty());
  unsigned a = 256, b = 256, c = 256, d = 256;
  char rest = 0;
  ASSERT_EQ(std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &rest),
            4)
      << text;
  EXPECT_LT(a, 256u);
  EXPECT_LT(b, 256u);
  EXPECT_LT(c, 256u);
  EXPECT_LT(d, 256u);
  char again[16];
  std::snprintf(again, sizeof again, "%u.%u.%u.%u", a, b, c, d);
  EXPECT_EQ(text, again);  // no leading zeros, no sign
}

}  // namespace
