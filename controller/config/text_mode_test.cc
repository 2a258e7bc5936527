#include "controller/config/text_mode.h"

#include <gtest/gtest.h>

namespace {

// The C runtime's text mode: only a CR that a LF follows is a line end.
TEST(TextModeTest, OnlyCrLfBecomesLfAndCtrlZEndsTheText) {
  struct Case {
    std::string bytes;
    std::string text;
  } cases[] = {
      {"a\r\nb\r\n", "a\nb\n"},
      {"a\rb\r", "a\rb\r"},
      {"a\r\r\nb", "a\r\nb"},
      {"\n\r", "\n\r"},
      {std::string("a\x1A\r\nb", 5), "a"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FromTextModeBytes(c.bytes), c.text) << c.bytes;
  }
  EXPECT_EQ(ToTextModeBytes("a\rb\nc"), "a\rb\r\nc");
}

}  // namespace
