#include "controller/monitor/status_text.h"

#include <gtest/gtest.h>

#include "controller/monitor/ascii_case.h"
#include "controller/shell/gbk_text.h"

namespace {

const StatusFields kExample{"192.168.1.20", 80, 443, "58.1.2.3", 12345, 13579};

TEST(StatusTextTest, EachTextWithItsFieldsInOrder) {
  EXPECT_EQ(BuildStatusText(false, "", "", kExample),
            "Bramo未注册\n请注册，享受Bramo带来的方便与快捷！\n");
  // Mode and answer play no part without a user.
  EXPECT_EQ(BuildStatusText(true, "", "bob", kExample),
            BuildStatusText(false, "", "", kExample));
  EXPECT_EQ(BuildStatusText(true, "bob", "bob", kExample),
            "Bramo正在运行...\n本地IP：192.168.1.20\n本地端口：80/443\n"
            "外网IP：58.1.2.3\n外网端口：12345/13579\n\n");
  EXPECT_EQ(BuildStatusText(false, "bob", "alice", kExample),
            "Bramo正在运行...\n本地IP：192.168.1.20\n本地端口：80/443\n"
            "外网IP：58.1.2.3\n外网端口：12345/13579\n"
            "从外网访问到错误的Bramo,请检查网络（路由器）\n");
  EXPECT_EQ(BuildStatusText(false, "bob", "", kExample),
            "Bramo正在运行...\n本地IP：192.168.1.20\n本地端口：80/443\n"
            "外网IP：58.1.2.3\n外网端口：12345/13579\n"
            "外网无法正常访问,请检查您的网络设置\n");
}

TEST(StatusTextTest, SizesInGbkAndWhatTheTooltipKeeps) {
  const std::string running = BuildStatusText(true, "u", "u", kExample);
  const std::string wrong = BuildStatusText(false, "u", "x", kExample);
  const std::string unreachable = BuildStatusText(false, "u", "", kExample);
  EXPECT_EQ(running.size(), 95u);
  EXPECT_EQ(wrong.size(), 139u);
  EXPECT_EQ(unreachable.size(), 130u);
  EXPECT_EQ(CutGbk(running, 127), running);
  // Byte 127 of the wrong-machine text is the first half of "网": the
  // tooltip stops before that character.
  EXPECT_EQ(CutGbk(wrong, 127).size(), 126u);
  EXPECT_EQ(CutGbk(wrong, 127), wrong.substr(0, 126));
  EXPECT_EQ(CutGbk(unreachable, 127), unreachable.substr(0, 127));
}

TEST(StatusTextTest, OverlongFieldsStayInTheBuffer) {
  StatusFields fields = kExample;
  fields.externalIp.assign(5000, '9');
  const std::string text = BuildStatusText(false, "u", "", fields);
  EXPECT_EQ(text.size(), 1023u);
  const std::string start = "Bramo正在运行...\n本地IP：192.168.1.20\n";
  EXPECT_EQ(text.substr(0, start.size()), start);
  const std::string label = "外网IP：";
  EXPECT_EQ(text.find_first_not_of('9', text.find(label) + label.size()),
            std::string::npos);
}

TEST(AsciiCaseTest, OnlyLettersAToZFold) {
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Alice", "aLICE"));
  EXPECT_TRUE(EqualsIgnoringAsciiCase("", ""));
  EXPECT_TRUE(EqualsIgnoringAsciiCase("张三Zz", "张三zZ"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("alice", "alice\r\n"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("alice", " alice"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("[", "{"));  // 0x5B and 0x7B
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC0", "\xE0"));  // Latin-1 letters
}

TEST(AsciiCaseTest, SecondBytesOfDoubleByteCharactersMatchExactly) {
  // 0x81 0x41 and 0x81 0x61 are two different characters.
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\x81\x41", "\x81\x61"));
  EXPECT_TRUE(EqualsIgnoringAsciiCase("\x81\x41", "\x81\x41"));
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Ab\x81\x41" "C", "aB\x81\x41" "c"));
  // After a whole character the next letter folds again.
  EXPECT_TRUE(EqualsIgnoringAsciiCase("\x81\x41\x41", "\x81\x41\x61"));
}

}  // namespace
