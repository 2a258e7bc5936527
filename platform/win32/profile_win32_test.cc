// Writes of the settings and data files while another process has the
// file open without delete sharing, as the web application or the
// registration client may: the copy cannot replace the file then, and the
// write must still land.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/win32/win32_env.h"
#include "testing/holder_process_win32.h"
#include "testing/temp_folder.h"

namespace platform {
namespace {

using testing_support::HolderProcess;
using testing_support::TempFolder;

std::vector<std::string> FileNames(const TempFolder& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

struct HeldWrite {
  const char* what;
  const char* old_bytes;
  std::function<bool(Win32Env&, const std::string& file)> write;
  std::function<bool(Win32Env&, const std::string& file)> landed;
};

const HeldWrite kWrites[] = {
    {"whole file", "80",
     [](Win32Env& env, const std::string& file) {
       return env.WriteWholeFile(file, "8080");
     },
     [](Win32Env& env, const std::string& file) {
       return env.ReadWholeFile(file, 100) == "8080";
     }},
    {"profile value", "[upnp]\r\nupnp.http.port=80\r\nupnp.https.port=443\r\n",
     [](Win32Env& env, const std::string& file) {
       return env.WriteProfileText("upnp", "upnp.http.port", "12345", file);
     },
     [](Win32Env& env, const std::string& file) {
       return env.GetProfileText("upnp", "upnp.http.port", "", 16, file) ==
                  "12345" &&
              env.GetProfileText("upnp", "upnp.https.port", "", 16, file) ==
                  "443";
     }},
};

// A reader that shares writes (as the C runtime's fopen does) leaves room
// to write the file in place once the replace keeps failing.
TEST(Win32HeldFileTest, AWriteLandsWhileAReaderHoldsTheFile) {
  for (const HeldWrite& w : kWrites) {
    SCOPED_TRACE(w.what);
    TempFolder dir;
    dir.Write("held.ini", w.old_bytes);
    const std::string file = dir.windows_path() + "held.ini";
    HolderProcess reader("file \"" + file + "\" rw");
    ASSERT_EQ(reader.line(), "held");
    Win32Env env;
    EXPECT_TRUE(w.write(env, file));
    EXPECT_TRUE(w.landed(env, file));  // at once, while still held
    EXPECT_EQ(FileNames(dir), std::vector<std::string>{"held.ini"});
    EXPECT_EQ(reader.Release(), 0);
    EXPECT_TRUE(w.landed(env, file));
  }
}

// A holder that shares reads only leaves no way to write: the write is
// reported as failed, and the file and its folder are as they were.
TEST(Win32HeldFileTest, AFileHeldAgainstWritesReportsTheWriteAsFailed) {
  for (const HeldWrite& w : kWrites) {
    SCOPED_TRACE(w.what);
    TempFolder dir;
    dir.Write("held.ini", w.old_bytes);
    const std::string file = dir.windows_path() + "held.ini";
    HolderProcess reader("file \"" + file + "\" r");
    ASSERT_EQ(reader.line(), "held");
    Win32Env env;
    EXPECT_FALSE(w.write(env, file));
    EXPECT_EQ(FileNames(dir), std::vector<std::string>{"held.ini"});
    EXPECT_EQ(reader.Release(), 0);
    EXPECT_EQ(dir.Read("held.ini"), w.old_bytes);
  }
}

}  // namespace
}  // namespace platform
