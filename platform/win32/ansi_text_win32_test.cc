// The Windows layer under the code page of the target machines (936):
// a Chinese install folder goes into httpd.conf as UTF-8, as Apache on
// Windows reads its paths.  Runs where the ANSI code page is 936 (Wine in
// the zh_CN locale); elsewhere GBK bytes name no Chinese folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "controller/config/httpd_conf.h"
#include "platform/win32/win32_env.h"
#include "testing/temp_folder.h"

namespace platform {
namespace {

TEST(AnsiTextWin32Test, AChineseFolderGoesIntoHttpdConfAsUtf8) {
  if (GetACP() != 936) {
    GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 936";
  }
  testing_support::TempFolder dir;
  Win32Env env;
  const std::string gbk = "\xB8\xF6\xC8\xCB\xD4\xC6";  // 个人云
  const std::string utf8 = "\xE4\xB8\xAA\xE4\xBA\xBA\xE4\xBA\x91";
  EXPECT_EQ(env.AnsiToUtf8(gbk), utf8);
  EXPECT_EQ(env.AnsiToUtf8("a\xB8"), std::nullopt);  // a cut character
  const std::string folder = dir.windows_path() + gbk + "\\";
  for (const char* sub : {"", "apache", "apache\\conf"}) {
    ASSERT_TRUE(CreateDirectoryA((folder + sub).c_str(), nullptr)) << sub;
  }
  // Through the ANSI calls the folder bears its real name on disk.
  std::wstring wide = L"\u4e2a\u4eba\u4e91";
  std::string ascii_root = dir.windows_path();
  std::wstring wide_root(ascii_root.begin(), ascii_root.end());
  EXPECT_NE(GetFileAttributesW((wide_root + wide).c_str()),
            INVALID_FILE_ATTRIBUTES);
  const std::string conf = folder + "apache\\conf\\httpd.conf";
  ASSERT_TRUE(env.WriteWholeFile(conf, "ServerRoot \"x\"\r\n"));
  ASSERT_EQ(RewriteHttpdConf(env, folder, 80, 443), 0);
  std::string root = ascii_root;
  for (char& c : root) {
    if (c == '\\') c = '/';
  }
  EXPECT_EQ(env.ReadWholeFile(conf, 4096),
            "ServerRoot \"" + root + utf8 + "/apache\"\r\n");
}

}  // namespace
}  // namespace platform
