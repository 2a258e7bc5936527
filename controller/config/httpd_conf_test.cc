#include "controller/config/httpd_conf.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fake/fake_env.h"
#include "testing/temp_folder.h"

namespace {

const std::string kWebStack = "D:\\Web Stack\\";

std::string Line(const std::string& line) {
  return RewriteHttpdLine(line, kWebStack, 8080, 8443);
}

TEST(HttpdLine, TheTableForAWebStackFolder) {
  EXPECT_EQ(Line("ServerRoot \"D:/old/apache\""),
            "ServerRoot \"D:/Web Stack/apache\"");
  EXPECT_EQ(Line("DocumentRoot \"D:/old/website/\""),
            "DocumentRoot \"D:/Web Stack/website/\"");
  EXPECT_EQ(Line("Listen 80  #HTTP#"), "Listen 8080  #HTTP#");
  EXPECT_EQ(Line("#Listen 80 #HTTP#"), "Listen 8080  #HTTP#");
  EXPECT_EQ(Line("ServerName localhost:80"), "ServerName localhost:8080");
  EXPECT_EQ(Line("Listen 443  #HTTPS#"), "Listen 8443  #HTTPS#");
  EXPECT_EQ(Line("<VirtualHost _default_:443>"),
            "<VirtualHost _default_:8443>");
  EXPECT_EQ(Line("    ServerName localhost:443"),
            "    ServerName localhost:8443");
  EXPECT_EQ(Line("#ServerRoot \"x\""), "#ServerRoot \"x\"");
}

TEST(HttpdLine, PrefixesAndMarkersAsTheRulesDefineThem) {
  // A prefix test: a longer word still begins with it.
  EXPECT_EQ(Line("ServerRootDir x"), "ServerRoot \"D:/Web Stack/apache\"");
  // The marker anywhere replaces the whole line.
  EXPECT_EQ(Line("Include x.conf # see #HTTPS#"), "Listen 8443  #HTTPS#");
  // Rule 3 comes first and its new text no longer holds "#HTTPS#".
  EXPECT_EQ(Line("Listen 443 #HTTPS# #HTTP#"), "Listen 8080  #HTTP#");
  // Only four blanks make rule 7; a tab or other indents change nothing.
  EXPECT_EQ(Line("\tServerName localhost:80"), "\tServerName localhost:80");
  EXPECT_EQ(Line("  ServerName localhost:80"), "  ServerName localhost:80");
  EXPECT_EQ(Line("     ServerName localhost:80"),
            "     ServerName localhost:80");
  // Case matters.
  EXPECT_EQ(Line("serverroot x"), "serverroot x");
  EXPECT_EQ(Line("Listen 80 #http#"), "Listen 80 #http#");
  // Unmatched lines keep their backslashes.
  EXPECT_EQ(Line("Alias /x \"C:\\a\\b\""), "Alias /x \"C:\\a\\b\"");
  EXPECT_EQ(RewriteHttpdLine("Listen 1 #HTTP#", kWebStack, 0, 0),
            "Listen 0  #HTTP#");
}

TEST(HttpdLine, DoubleByteCharactersAreStepsOfTwo) {
  // 0x95 0x5C is one character whose trail byte is the backslash code.
  const std::string folder = "D:\\\x95\\\x81\x41\\";
  EXPECT_EQ(RewriteHttpdLine("ServerRoot \"x\"", folder, 80, 443),
            "ServerRoot \"D:/\x95\\\x81\x41/apache\"");
  // A trail byte never starts a match: here "#" follows a lead byte.
  EXPECT_EQ(Line("\x81#HTTP# x"), "\x81#HTTP# x");
  EXPECT_EQ(Line("\x81\x81#HTTP#"), "Listen 8080  #HTTP#");
  // A lead byte in front pushes the prefix off the first character.
  EXPECT_EQ(Line("\x81\x41ServerRoot"), "\x81\x41ServerRoot");
}

TEST(HttpdConfBytes, LineEndsAndMarkersAtTheEdges) {
  const struct {
    std::string bytes, rewritten;
  } cases[] = {
      {"\n", "\r\n"},
      {"\r\n\r\n", "\r\n\r\n"},
      // Only the CR of a CR LF is a line end; a lone one stays.
      {"a\r\r\nb\rc", "a\r\r\nb\rc\r\n"},
      {"x\r", "x\r\r\n"},
      {"a\n\x1A"
       "b\n",
       "a\r\n"},
      // A marker behind a lead byte is no marker, whatever the line end.
      {"\x81#HTTP# x\r\n\x81#HTTP# x\n", "\x81#HTTP# x\r\n\x81#HTTP# x\r\n"},
      {"\x81\x81#HTTP#\n#HTTPS\r\n", "Listen 8080  #HTTP#\r\n#HTTPS\r\n"},
      {"Listen 1 #HTTP#\r\n#\r\n", "Listen 8080  #HTTP#\r\n#\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RewriteHttpdConfBytes(c.bytes, kWebStack, 8080, 8443),
              c.rewritten)
        << c.bytes;
  }
}

class HttpdConfTest : public ::testing::Test {
 protected:
  std::string Folder() const { return folder_.windows_path(); }
  int Rewrite(int http = 8080, int https = 8443) {
    return RewriteHttpdConf(env_, Folder(), http, https);
  }
  std::string Conf() const { return folder_.Read("apache/conf/httpd.conf"); }
  void SetConf(const std::string& bytes) {
    folder_.Write("apache/conf/httpd.conf", bytes);
  }
  platform::FakeEnv env_;
  testing_support::TempFolder folder_;
};

TEST_F(HttpdConfTest, TheWholeFileComesBackWithCrLfAndReplacedLines) {
  SetConf(
      "# Bramo\n"
      "ServerRoot \"C:/old/apache\"\r\n"
      "Listen 80  #HTTP#\n"
      "Alias /x C:\\keep\\this\r\n"
      "\n"
      "<VirtualHost _default_:443>\n"
      "    ServerName localhost:443\n"
      "</VirtualHost>");
  ASSERT_EQ(Rewrite(), 0);
  std::string root = Folder();
  for (char& c : root) {
    if (c == '\\') c = '/';
  }
  EXPECT_EQ(Conf(),
            "# Bramo\r\n"
            "ServerRoot \"" + root + "apache\"\r\n"
            "Listen 8080  #HTTP#\r\n"
            "Alias /x C:\\keep\\this\r\n"
            "\r\n"
            "<VirtualHost _default_:8443>\r\n"
            "    ServerName localhost:8443\r\n"
            "</VirtualHost>\r\n");
  // Twice gives the same bytes.
  const std::string once = Conf();
  ASSERT_EQ(Rewrite(), 0);
  EXPECT_EQ(Conf(), once);
  EXPECT_TRUE(env_.TraceStartingWith("msgbox").empty());
}

// Apache reads its paths as UTF-8: a Chinese folder goes in converted
// from the code page, also a single character (an odd count of UTF-8
// bytes, which read as GBK would swallow the slash after it).
TEST_F(HttpdConfTest, AChineseFolderGoesInAsUtf8) {
  // The fake's files are the test's own; where their narrow names do not
  // carry GBK bytes (the Windows build), the real layer's test shows it.
  folder_.Write("\xD4\xC6/probe", "x");
  if (env_.AnsiToUtf8("\xB8\xF6") != "\xE4\xB8\xAA" ||
      !env_.ReadWholeFile(Folder() + "\xD4\xC6\\probe", 8)) {
    GTEST_SKIP() << "no code page 936, or no GBK file names here";
  }
  struct Case {
    const char* gbk;
    const char* utf8;
  } cases[] = {{"\xB8\xF6\xC8\xCB\xD4\xC6", "\xE4\xB8\xAA\xE4\xBA\xBA\xE4\xBA\x91"},
               {"\xD4\xC6", "\xE4\xBA\x91"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    folder_.Write(std::string(c.gbk) + "/apache/conf/httpd.conf",
                  "ServerRoot \"x\"\nDocumentRoot \"y\"\n");
    const std::string gbk_folder = Folder() + c.gbk + "\\";
    ASSERT_EQ(RewriteHttpdConf(env_, gbk_folder, 8080, 8443), 0);
    std::string root = Folder();
    for (char& ch : root) {
      if (ch == '\\') ch = '/';
    }
    root += std::string(c.utf8) + "/";
    EXPECT_EQ(folder_.Read(std::string(c.gbk) + "/apache/conf/httpd.conf"),
              "ServerRoot \"" + root + "apache\"\r\nDocumentRoot \"" + root +
                  "website/\"\r\n");
  }
}

TEST_F(HttpdConfTest, LongLinesAndAnEmptyFile) {
  const std::string long_line(100000, 'x');
  SetConf(long_line + "\n" + "DocumentRoot x" + long_line);
  ASSERT_EQ(Rewrite(), 0);
  std::string root = Folder();
  for (char& c : root) {
    if (c == '\\') c = '/';
  }
  EXPECT_EQ(Conf(), long_line + "\r\nDocumentRoot \"" + root + "website/\"\r\n");
  SetConf("");
  ASSERT_EQ(Rewrite(), 0);
  EXPECT_EQ(Conf(), "");
}

TEST_F(HttpdConfTest, AMissingFileShowsTheBoxAndWritesNothing) {
  EXPECT_EQ(Rewrite(), 1);
  EXPECT_FALSE(folder_.Exists("apache/conf/httpd.conf"));
  EXPECT_EQ(env_.TraceStartingWith("msgbox"),
            (std::vector<std::string>{
                "msgbox error ok \"\" \"无法打开个人云服务器配置文件,"
                "错误码0X8001\""}));
}

TEST_F(HttpdConfTest, AWriteKilledHalfWayLeavesTheOldFile) {
  const std::string old_conf = "ServerRoot \"old\"\r\nListen 80  #HTTP#\r\n";
  SetConf(old_conf);
  env_.fail_writes_after_bytes = 12;
  EXPECT_EQ(Rewrite(), 1);
  EXPECT_EQ(Conf(), old_conf);
  EXPECT_EQ(env_.TraceStartingWith("msgbox").size(), 1u);
  ASSERT_EQ(Rewrite(), 0);
  EXPECT_NE(Conf(), old_conf);
}

}  // namespace
