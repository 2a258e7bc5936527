#include "registrar/norvik.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/fake/fake_env.h"
#include "registrar/request_text.h"
#include "testing/temp_folder.h"

namespace registrar {
namespace {

using platform::FakeEnv;

constexpr char kUrl[] = "http://reg.example/regist/regist.php";
constexpr char kPlainBody[] =
    "dnsData={\"uname\":\"u\",\"mac\":\"m\",\"pin\":\"0\",\"ipv4\":\"1.2.3.4\","
    "\"ipv6\":\"\",\"port\":\"80\",\"https\":\"443\"}";

std::string Ini(const std::string& mac, const std::string& ip,
                const std::string& http, const std::string& https) {
  return "[mac]\r\nmac.address=" + mac + "\r\n[ip]\r\nip.external=" + ip +
         "\r\n[upnp]\r\nupnp.http.port=" + http +
         "\r\nupnp.https.port=" + https + "\r\n";
}

class NorvikTest : public ::testing::Test {
 protected:
  NorvikTest() {
    // Without the trailing backslash, as the program sees its folder.
    std::string win = folder_.windows_path();
    dir_ = win.substr(0, win.size() - 1);
    env_.module_path = dir_ + "\\norvik.exe";
    SetIni(Ini("m", "1.2.3.4", "80", "443"));
    SetUser("u\r\n");
  }
  void SetIni(const std::string& text) { folder_.Write("sablo.ini", text); }
  void SetUser(const std::string& text) {
    folder_.Write("website/pc2/database/current_user", text);
  }
  void Answer(const std::string& output) {
    env_.captured_runs.push_back({0, output, 0, 0, ""});
  }
  int Run(const std::string& pin = "0", const std::string& url = kUrl) {
    return RunNorvik(&env_, {url, pin});
  }
  std::vector<std::string> Prints() const {
    return env_.TraceStartingWith("print ");
  }
  std::string RequestFile() const { return folder_.Read("regData_norvik"); }

  testing_support::TempFolder folder_;
  std::string dir_;
  FakeEnv env_;
};

TEST_F(NorvikTest, AcceptedRecordWritesThePlainBodyRunsCurlAndDeletes) {
  Answer("registered\r\n0\r\n");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(RequestFile(), std::string(kPlainBody) + "\r\n");
  std::string file = dir_ + "\\regData_norvik";
  EXPECT_EQ(env_.TraceStartingWith("run "),
            std::vector<std::string>{"run curl -d @\"" + file + "\" " + kUrl});
  EXPECT_EQ(env_.TraceStartingWith("system "),
            std::vector<std::string>{"system del \"" + file + "\""});
  EXPECT_EQ(Prints(), (std::vector<std::string>{"print \"cResult = 0\\n\"",
                                                "print \"norvik成功!\\n\""}));
}

TEST_F(NorvikTest, DeletionReallyRemovesTheRequestFileEitherWay) {
  env_.system_runs_verbs = true;
  Answer("0\r\n");
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(folder_.Exists("regData_norvik"));
  Answer("1\r\n");
  EXPECT_EQ(Run(), 3);
  EXPECT_FALSE(folder_.Exists("regData_norvik"));
}

TEST_F(NorvikTest, OnlyTheThirdCharacterFromTheEndCounts) {
  Answer("error 500 0ab");  // third-last is '0': accepted
  EXPECT_EQ(Run(), 0);
  Answer("0 everything fine 1\r\n");
  EXPECT_EQ(Run(), 3);
  EXPECT_EQ(Prints().back(), "print \"norvik失败!\\n\"");
  // Whole output over one 4096-byte chunk is judged by its true end.
  Answer(std::string(10000, '1') + "0\r\n");
  EXPECT_EQ(Run(), 0);
  Answer("0" + std::string(10000, 'x') + "1\r\n");
  EXPECT_EQ(Run(), 3);
}

TEST_F(NorvikTest, OutputTooShortToJudgeIsAFailureWithoutResultLine) {
  for (const char* output : {"", "0", "0\n"}) {
    env_.ClearTrace();
    Answer(output);
    EXPECT_EQ(Run(), 3) << output;
    EXPECT_EQ(Prints(), std::vector<std::string>{"print \"norvik失败!\\n\""});
    EXPECT_EQ(env_.TraceStartingWith("system del").size(), 1u);
  }
}

TEST_F(NorvikTest, CurlThatCannotStartOrBeWaitedForFails) {
  env_.captured_runs.push_back({3, "", 0, 2, ""});
  EXPECT_EQ(Run(), 3);
  EXPECT_EQ(Prints(),
            (std::vector<std::string>{"print \"Error : CreateProcessA: 2\\n\"",
                                      "print \"norvik失败!\\n\""}));
  for (int status : {2, 4}) {
    env_.ClearTrace();
    env_.captured_runs.push_back({status, "", 0, 0, ""});
    EXPECT_EQ(Run(), 3);
    EXPECT_EQ(Prints(), std::vector<std::string>{"print \"norvik失败!\\n\""});
    EXPECT_EQ(env_.TraceStartingWith("system del").size(), 1u);
  }
}

TEST_F(NorvikTest, MissingOrEmptySettingStopsSilently) {
  SetIni(
      "[mac]\nmac.address=m\n[ip]\nip.external=1.2.3.4\n"
      "[upnp]\nupnp.http.port=80\n");
  EXPECT_EQ(Run(), 2);
  SetIni(Ini("m", "", "80", "443"));
  EXPECT_EQ(Run(), 2);
  folder_.Write("sablo.ini", "");
  EXPECT_EQ(Run(), 2);
  EXPECT_TRUE(Prints().empty());
  EXPECT_TRUE(env_.TraceStartingWith("run ").empty());
}

TEST_F(NorvikTest, AnySettingOfZeroGivesTheMacMessageBeforeCurrentUser) {
  folder_.Write("website/pc2/database/current_user", "");
  const std::vector<std::string> inis = {
      Ini("0", "1.2.3.4", "80", "443"), Ini("m", "0", "80", "443"),
      Ini("m", "1.2.3.4", "0", "443"), Ini("m", "1.2.3.4", "80", "0")};
  for (const std::string& ini : inis) {
    env_.ClearTrace();
    SetIni(ini);
    EXPECT_EQ(Run(), -1) << ini;
    EXPECT_EQ(Prints(),
              std::vector<std::string>{"print \"mac地址为空，请检查！\\n\""});
    EXPECT_TRUE(env_.TraceStartingWith("run ").empty());
  }
}

TEST_F(NorvikTest, LongSettingIsSentCutTo31Characters) {
  std::string mac(40, 'a');
  SetIni(Ini(mac, "1.2.3.4", "80", "443"));
  Answer("0\r\n");
  EXPECT_EQ(Run(), 0);
  EXPECT_NE(RequestFile().find("\"mac\":\"" + std::string(31, 'a') + "\""),
            std::string::npos);
}

TEST_F(NorvikTest, CurrentUserGivesItsFirstTokenOnly) {
  SetUser("  \t\r\nfirst second\r\n");
  Answer("0\r\n");
  EXPECT_EQ(Run(), 0);
  EXPECT_NE(RequestFile().find("\"uname\":\"first\",\"mac\""),
            std::string::npos);
  // The name is the C string of the token: it ends at a zero byte.
  SetUser(std::string("fi\0rst second", 13));
  Answer("0\r\n");
  EXPECT_EQ(Run(), 0);
  EXPECT_NE(RequestFile().find("\"uname\":\"fi\",\"mac\""), std::string::npos);
  SetUser(std::string("\0first", 6));
  EXPECT_EQ(Run(), 2);
}

TEST_F(NorvikTest, CurrentUserMissingBlankOrTooLong) {
  SetUser(" \r\n\t");
  EXPECT_EQ(Run(), 2);
  SetUser(std::string(128, 'n'));
  EXPECT_EQ(Run(), 2);  // never sent cut
  EXPECT_TRUE(env_.TraceStartingWith("run ").empty());
  SetUser(std::string(127, 'n') + "\n");
  Answer("0\r\n");
  EXPECT_EQ(Run(), 0);
  testing_support::TempFolder empty;
  std::string win = empty.windows_path();
  env_.module_path = win + "norvik.exe";
  empty.Write("sablo.ini", Ini("m", "1.2.3.4", "80", "443"));
  EXPECT_EQ(Run(), 1);
}

TEST_F(NorvikTest, TooFewArgumentsGiveUsageAndSendNothing) {
  EXPECT_EQ(RunNorvik(&env_, {}), kUsage);
  EXPECT_EQ(RunNorvik(&env_, {kUrl}), kUsage);
  EXPECT_EQ(Prints().size(), 2u);
  EXPECT_NE(Prints()[0].find("usage: norvik.exe"), std::string::npos);
  EXPECT_TRUE(env_.TraceStartingWith("run ").empty());
  EXPECT_FALSE(folder_.Exists("regData_norvik"));
}

TEST_F(NorvikTest, OnlyAnHttpAddressWithoutBlanksIsPassedToCurl) {
  for (const char* url :
       {"-o", "-ofile", "--config=x", "ftp://h/r", "file:///etc/passwd",
        "http://h/r -o x", "http://h/r\t-o", "http://h/\r\n", "http:/h", ""}) {
    EXPECT_EQ(Run("0", url), kUsage) << url;
  }
  EXPECT_TRUE(env_.TraceStartingWith("run ").empty());
  EXPECT_FALSE(folder_.Exists("regData_norvik"));
  for (const char* url : {"http://h/r", "HTTPS://h:8443/r?a=b"}) {
    Answer("0\r\n");
    EXPECT_EQ(Run("0", url), 0) << url;
  }
}

TEST_F(NorvikTest, TheVerdictIsTheServicesAnswerNotCurlsStandardError) {
  struct Case {
    const char* output;
    const char* errors;
    int exit_code;
    int status;
  } cases[] = {
      {"",
       "  % Total ...\r100    12    0     0  100    12   1200      0 "
       "--:--:--\r\n",
       0, 3},
      {"registered\r\n0\r\n", "100  4096  100   400 0\r\n", 0, 0},
      {"registered\r\n0\r\n", "curl: (18) transfer closed\n", 18, 3},
      {"", "curl: (7) Failed to connect to h port 80: 0ms\n", 7, 3},
  };
  for (const Case& c : cases) {
    env_.captured_runs.push_back({0, c.output, c.exit_code, 0, c.errors});
    EXPECT_EQ(Run(), c.status) << c.output << c.errors;
  }
}

TEST_F(NorvikTest, TextsThatWouldNotFitTheirBuffersAreNotSent) {
  // The body's limit is 1023 bytes; the plain body with pin "0" is 103.
  std::string plain_body = kPlainBody;
  std::string pin_at_limit(1023 - plain_body.size() + 1, 'p');
  Answer("0\r\n");
  EXPECT_EQ(Run(pin_at_limit), 0);
  EXPECT_EQ(RequestFile().size(), 1023u + 2);
  EXPECT_EQ(Run(pin_at_limit + "p"), 2);
  // Escaping counts: "&" takes three bytes in the body.
  EXPECT_EQ(Run(std::string(pin_at_limit.size() - 1, 'p') + "&"), 2);
  // The command line's limit is 255.
  std::string fixed = "curl -d @\"" + dir_ + "\\regData_norvik\" ";
  std::string url = "http://" + std::string(255 - fixed.size() - 7, 'h');
  Answer("0\r\n");
  EXPECT_EQ(Run("0", url), 0);
  EXPECT_EQ(Run("0", url + "h"), 2);
  EXPECT_EQ(env_.TraceStartingWith("run ").size(), 2u);
}

// The request file's path is quoted in curl's command line and in the
// deletion; a folder whose name holds a quote sends nothing and leaves no
// request file.
TEST_F(NorvikTest, AFolderNameWithAQuoteSendsNothingAndLeavesNoFile) {
  std::error_code ec;
  std::filesystem::create_directories(folder_.path() + "say \"hi\"", ec);
  if (ec) GTEST_SKIP() << "no folder name holds a double quote here";
  folder_.Write("say \"hi\"/sablo.ini", Ini("m", "1.2.3.4", "80", "443"));
  folder_.Write("say \"hi\"/website/pc2/database/current_user", "u\r\n");
  env_.module_path = dir_ + "\\say \"hi\"\\norvik.exe";
  Answer("0\r\n");
  EXPECT_EQ(Run(), kIncomplete);
  EXPECT_FALSE(folder_.Exists("say \"hi\"/regData_norvik"));
  EXPECT_TRUE(env_.TraceStartingWith("run ").empty());
}

TEST_F(NorvikTest, RequestFileThatCannotBeCreatedIsReportedAndNotDeleted) {
  folder_.Write("regData_norvik/inside", "x");  // a folder in its place
  EXPECT_EQ(Run(), 2);
  EXPECT_EQ(Prints(),
            std::vector<std::string>{"print \"can't open file!3\\n\""});
  EXPECT_TRUE(env_.TraceStartingWith("run ").empty());
  EXPECT_TRUE(env_.TraceStartingWith("system ").empty());
}

TEST(RequestTextTest, PlainValuesGiveTheBodyUnchanged) {
  AddressRecord r{"u", "m", "0", "1.2.3.4", "", "80", "443"};
  EXPECT_EQ(RequestBody(r), kPlainBody);
  EXPECT_EQ(FormJsonValue("00:1A:2b-3C.x_y/z~!*()=?"),
            "00:1A:2b-3C.x_y/z~!*()=?");
}

TEST(RequestTextTest, HostileBytesStayInsideOneJsonStringAndOneFormField) {
  EXPECT_EQ(FormJsonValue("a\"b\\c"), "a\\\"b\\\\c");
  EXPECT_EQ(FormJsonValue("a&b+c%d"), "a%26b%2Bc%25d");
  EXPECT_EQ(FormJsonValue(std::string("t\tn\nz\x01", 6)),
            "t\\u0009n\\u000Az\\u0001");
  EXPECT_EQ(FormJsonValue("\"}&dnsData=x"), "\\\"}%26dnsData=x");
}

TEST(RequestTextTest, GbkCharactersPassWholeEvenWithABackslashSecondByte) {
  // "张三" and a character whose second byte is 0x5C.
  EXPECT_EQ(FormJsonValue("张三"), "张三");
  EXPECT_EQ(FormJsonValue("\x95\x5C"), "\x95\x5C");
  EXPECT_EQ(FormJsonValue("\x95\x5C\\"), "\x95\x5C\\\\");
  // The first and the last lead byte of GBK, each with a backslash.
  EXPECT_EQ(FormJsonValue("\x81\x5C\xFE\x5C"), "\x81\x5C\xFE\x5C");
  // 0x80 and 0xFF lead nothing: the backslash after them is escaped.
  EXPECT_EQ(FormJsonValue("\x80\x5C\xFF\x5C"), "\x80\\\x5C\xFF\\\x5C");
  // A lone lead byte at the end is copied as it is.
  EXPECT_EQ(FormJsonValue("\x95"), "\x95");
  // One before an escaped byte is escaped itself: a GBK reader would take
  // the escape's backslash for its second byte.
  EXPECT_EQ(FormJsonValue("\x95\""), "\\u0095\\\"");
  EXPECT_EQ(FormJsonValue("\x95\x05"), "\\u0095\\u0005");
}

}  // namespace
}  // namespace registrar
