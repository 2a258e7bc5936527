#include "platform/common/command_line.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

using Words = std::vector<std::string>;

TEST(SplitCommandLineTest, ProgramNameKnowsNoEscapes) {
  EXPECT_EQ(SplitCommandLine("pskill update"), (Words{"pskill", "update"}));
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\x.exe\" -a"),
            (Words{"C:\\Program Files\\x.exe", "-a"}));
  // A backslash before the closing quote of argv[0] is no escape.
  EXPECT_EQ(SplitCommandLine("\"C:\\dir\\\" b"), (Words{"C:\\dir\\", "b"}));
  EXPECT_EQ(SplitCommandLine("apache\\bin\\pv -f -k httpd.exe -q"),
            (Words{"apache\\bin\\pv", "-f", "-k", "httpd.exe", "-q"}));
}

TEST(SplitCommandLineTest, BackslashesAndQuotesInArguments) {
  EXPECT_EQ(SplitCommandLine("p a\\\\\\\"b"), (Words{"p", "a\\\"b"}));  // 3+"
  EXPECT_EQ(SplitCommandLine("p \"a\\\\\" b"), (Words{"p", "a\\", "b"}));  // 2+"
  EXPECT_EQ(SplitCommandLine("p a\\b\\\\c"), (Words{"p", "a\\b\\\\c"}));
  EXPECT_EQ(SplitCommandLine("p \"a b\"c"), (Words{"p", "a bc"}));
  EXPECT_EQ(SplitCommandLine("p \"a\"\"b\""), (Words{"p", "a\"b"}));
  EXPECT_EQ(SplitCommandLine("p \"unclosed arg"), (Words{"p", "unclosed arg"}));
  EXPECT_EQ(SplitCommandLine("p \"\""), (Words{"p", ""}));
}

TEST(SplitCommandLineTest, BlanksAndTabsSeparate) {
  EXPECT_EQ(SplitCommandLine("  p\t a   b \t"), (Words{"p", "a", "b"}));
  EXPECT_TRUE(SplitCommandLine("").empty());
  EXPECT_TRUE(SplitCommandLine(" \t ").empty());
}

TEST(QuoteArgumentTest, RoundTripsThroughTheSplitter) {
  for (std::string arg :
       {"plain", "two words", "", "quote\"inside", "trailing\\", "dir\\ x\\",
        "a\\\\\"b", "\t", "中文 路径"}) {
    Words words = SplitCommandLine("p " + QuoteArgument(arg));
    ASSERT_EQ(words.size(), 2u) << arg;
    EXPECT_EQ(words[1], arg);
  }
}

}  // namespace
}  // namespace platform
