// The fetch's result codes and text over scripted answers, and the address
// check case by case.
#include "controller/monitor/http_fetch.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_env.h"

namespace {

using platform::HttpResult;

TEST(IsValidIpText, AcceptsWhatTheLooseCheckLetsThrough) {
  EXPECT_EQ(IsValidIpText("255.255.255.255"), 0);
  EXPECT_EQ(IsValidIpText("58.1.2.3"), 0);
  EXPECT_EQ(IsValidIpText("1.2.3"), 0);      // the last field is read twice
  EXPECT_EQ(IsValidIpText("1.2.3.4.5"), 0);  // field 4 is "4.5", read as 4
  EXPECT_EQ(IsValidIpText("..."), 0);
  EXPECT_EQ(IsValidIpText(""), 0);
  EXPECT_EQ(IsValidIpText("000000000000255"), 0);  // 15 characters
}

TEST(IsValidIpText, RejectsLongTextsOtherBytesAndLargeFields) {
  EXPECT_EQ(IsValidIpText("256.1.1.1"), 7);
  EXPECT_EQ(IsValidIpText("1.256.1.1"), 7);
  EXPECT_EQ(IsValidIpText("1.1.1.256"), 7);
  EXPECT_EQ(IsValidIpText("1.2.256"), 7);           // the rest after two cuts
  EXPECT_EQ(IsValidIpText("1.1.1.1111111111"), 7);  // 16 characters
  EXPECT_EQ(IsValidIpText("0000000000000255"), 7);  // 16, every field small
  EXPECT_EQ(IsValidIpText("001.002.003.0004"), 7);
  EXPECT_EQ(IsValidIpText("99999999999"), 7);  // beyond an int
  EXPECT_EQ(IsValidIpText("1.2.3.4\n"), 7);
  EXPECT_EQ(IsValidIpText("1.2.3.4\r\n"), 7);
  EXPECT_EQ(IsValidIpText(" 1.2.3.4"), 7);
  EXPECT_EQ(IsValidIpText("1.2.3.-4"), 7);
}

class FetchTest : public ::testing::Test {
 protected:
  void Answer(const std::string& url, const std::string& body,
              HttpResult result = HttpResult::kOk) {
    platform::FakeEnv::HttpAnswer answer;
    answer.result = result;
    answer.body = body;
    env_.http_answers[url] = answer;
  }
  platform::FakeEnv env_;
  std::string text_ = "left over";
};

TEST_F(FetchTest, UrlTextKeepsTheBodyUntrimmedUpToAZeroByte) {
  Answer("http://a/", " name\r\n");
  EXPECT_EQ(FetchUrlText(env_, "http://a/", text_), 0);
  EXPECT_EQ(text_, " name\r\n");
  Answer("http://a/", std::string("ab\0cd", 5));
  EXPECT_EQ(FetchUrlText(env_, "http://a/", text_), 0);
  EXPECT_EQ(text_, "ab");
  Answer("http://a/", std::string(3000, 'x'));
  EXPECT_EQ(FetchUrlText(env_, "http://a/", text_), 0);
  EXPECT_EQ(text_, std::string(1023, 'x'));
  EXPECT_EQ(env_.TraceStartingWith("http get").size(), 3u);
  EXPECT_EQ(env_.TraceStartingWith("http get")[0],
            "http get http://a/ agent=DadoRE/1.0");
}

TEST_F(FetchTest, FailuresGiveTheirCodesAndAnEmptyText) {
  EXPECT_EQ(FetchUrlText(env_, "http://nobody/", text_), 6);
  EXPECT_EQ(text_, "");
  text_ = "x";
  EXPECT_EQ(FetchExternalIp(env_, "http://nobody/", text_), 1);
  EXPECT_EQ(text_, "");
  Answer("http://a/", "", HttpResult::kReadFailed);
  text_ = "x";
  EXPECT_EQ(FetchUrlText(env_, "http://a/", text_), 1);
  EXPECT_EQ(text_, "");
  EXPECT_EQ(FetchExternalIp(env_, "http://a/", text_), 1);
  env_.http_session_fails = true;
  EXPECT_EQ(FetchUrlText(env_, "http://a/", text_), 1);
  EXPECT_EQ(FetchExternalIp(env_, "http://a/", text_), 1);
}

TEST_F(FetchTest, ExternalIpKeepsOnlyAnAcceptedAddress) {
  Answer("http://ip/", "58.1.2.3");
  EXPECT_EQ(FetchExternalIp(env_, "http://ip/", text_), 0);
  EXPECT_EQ(text_, "58.1.2.3");
  Answer("http://ip/", "58.1.2.3\n");
  EXPECT_EQ(FetchExternalIp(env_, "http://ip/", text_), 7);
  EXPECT_EQ(text_, "");
  Answer("http://ip/", "<html>404</html>");
  EXPECT_EQ(FetchExternalIp(env_, "http://ip/", text_), 7);
  Answer("http://ip/", "");
  EXPECT_EQ(FetchExternalIp(env_, "http://ip/", text_), 0);
  EXPECT_EQ(text_, "");
}

}  // namespace
