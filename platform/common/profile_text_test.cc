#include "platform/common/profile_text.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

const char kIni[] =
    "; settings of the controller\r\n"
    "[Brix7]\r\n"
    "  AutoRun = 1 \r\n"
    "quoted=\"C:\\x\\php\\ext\"\r\n"
    "single='a'\r\n"
    "inner=\"a\"b\"\r\n"
    "open=\"abc\r\n"
    "eq=a=b=c\r\n"
    "dup=first\r\n"
    "dup=second\r\n"
    ";commented=yes\r\n"
    "gbk=中文\r\n"
    "\r\n"
    "[other]\r\n"
    "dup=third\r\n";

std::string Read(const std::string& key, size_t size = 256,
                 const std::string& section = "brix7") {
  return ReadProfileText(kIni, section, key, "", size);
}

TEST(ProfileReadTest, NamesIgnoreCaseAndBlanksAreTrimmed) {
  EXPECT_EQ(Read("autorun"), "1");
  EXPECT_EQ(Read("AUTORUN", 256, "BRIX7"), "1");
  EXPECT_EQ(ReadProfileText(kIni, " brix7 ", " autorun ", "", 256), "1");
}

TEST(ProfileReadTest, OneMatchingPairOfOuterQuotesGoes) {
  EXPECT_EQ(Read("quoted"), "C:\\x\\php\\ext");
  EXPECT_EQ(Read("single"), "a");
  EXPECT_EQ(Read("inner"), "a\"b");
  EXPECT_EQ(Read("open"), "\"abc");
}

TEST(ProfileReadTest, FirstEqualsSplitsFirstKeyWinsCommentsNeverMatch) {
  EXPECT_EQ(Read("eq"), "a=b=c");
  EXPECT_EQ(Read("dup"), "first");
  EXPECT_EQ(Read("dup", 256, "other"), "third");
  EXPECT_EQ(Read(";commented"), "");
  EXPECT_EQ(Read("commented"), "");
  EXPECT_EQ(Read("gbk"), "中文");
}

TEST(ProfileReadTest, TabsAreBlanksQuotesGoAfterTheTrimAndALoneQuoteStays) {
  const std::string ini =
      "[s]\r\n"
      "\tTabbed\t=\tv\t\r\n"
      "spaced = \"a b\" \r\n"
      "lone=\"\r\n"
      "single=' \r\n"
      "runon=x\r\n";
  struct Case {
    const char* key;
    const char* value;
  } cases[] = {
      {"tabbed", "v"}, {"\ttabbed ", "v"}, {"spaced", "a b"}, {"lone", "\""},
      {"single", "'"}, {"run on", "x"},    {"r u\tnon", "x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadProfileText(ini, " s\t", c.key, "", 256), c.value) << c.key;
  }
}

TEST(ProfileReadTest, MissingGivesTheDefaultAndResultsAreCutToTheBuffer) {
  EXPECT_EQ(ReadProfileText(kIni, "brix7", "none", "dflt", 256), "dflt");
  EXPECT_EQ(ReadProfileText(kIni, "nosection", "autorun", "", 256), "");
  EXPECT_EQ(ReadProfileText("", "a", "b", "", 256), "");
  EXPECT_EQ(Read("eq", 3), "a=");
  EXPECT_EQ(Read("quoted", 4), "C:\\");  // quotes go before the cut
  EXPECT_EQ(Read("eq", 1), "");
  EXPECT_EQ(Read("eq", 0), "");
  EXPECT_EQ(ReadProfileText(kIni, "x", "y", "long default", 5), "long");
}

TEST(ProfileReadTest, AByteOrderMarkBreaksTheFirstLine) {
  std::string content = "\xEF\xBB\xBF[s]\r\nk=v\r\n";
  EXPECT_EQ(ReadProfileText(content, "s", "k", "", 256), "");
}

TEST(ProfileWriteTest, ReplacesOnlyTheKeysOwnLine) {
  std::string out = WriteProfileTextInto(kIni, "BRIX7", "autorun", "0");
  std::string expected = kIni;
  expected.replace(expected.find("  AutoRun = 1 "), 14, "AutoRun=0");
  EXPECT_EQ(out, expected);
  EXPECT_EQ(ReadProfileText(out, "brix7", "autorun", "", 256), "0");
}

TEST(ProfileWriteTest, NewKeysGoAfterTheLastKeyOfTheirSection) {
  std::string in = "[a]\r\nx=1\r\n\r\n; note\r\n[b]\r\ny=2\r\n";
  EXPECT_EQ(WriteProfileTextInto(in, "a", "new", "v"),
            "[a]\r\nx=1\r\nnew=v\r\n\r\n; note\r\n[b]\r\ny=2\r\n");
  EXPECT_EQ(WriteProfileTextInto("[a]\r\n[b]\r\n", "a", "k", "v"),
            "[a]\r\nk=v\r\n[b]\r\n");
  // The last line of the file without its line end.
  EXPECT_EQ(WriteProfileTextInto("[a]\r\nx=1", "a", "k", "v"),
            "[a]\r\nx=1\r\nk=v\r\n");
  // ... cut between its CR and its LF: the LF completes it, and the line
  // reads as before.
  EXPECT_EQ(WriteProfileTextInto("[a]\r\nx=1\r", "a", "k", "v"),
            "[a]\r\nx=1\r\nk=v\r\n");
  EXPECT_EQ(WriteProfileTextInto("[a]\r\nx=1\r", "b", "k", "v"),
            "[a]\r\nx=1\r\n[b]\r\nk=v\r\n");
}

TEST(ProfileWriteTest, NewSectionsAndFilesEndInCrLf) {
  EXPECT_EQ(WriteProfileTextInto("", " sec ", " key ", " value "),
            "[sec]\r\nkey= value \r\n");
  EXPECT_EQ(WriteProfileTextInto("[a]\nx=1", "b", "k", "v"),
            "[a]\nx=1\r\n[b]\r\nk=v\r\n");
}

TEST(ProfileWriteTest, LfOnlyLinesAndOtherBytesStayAsTheyWere) {
  std::string in = "[a]\nk=old\nz=\xB0\x5C\n";
  EXPECT_EQ(WriteProfileTextInto(in, "a", "k", "new"),
            "[a]\nk=new\nz=\xB0\x5C\n");
  EXPECT_EQ(WriteProfileTextInto(in, "a", "z", "中文"), "[a]\nk=old\nz=中文\n");
}

}  // namespace
}  // namespace platform
