// The updater's download root on Linux: never a folder another user could
// write or swap.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/posix/posix_env.h"
#include "testing/temp_folder.h"

namespace platform {
namespace {

using testing_support::TempFolder;

// Sets an environment variable for the length of a test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class DownloadRootTest : public ::testing::Test {
 protected:
  // A folder below the test's own, made with `mode`.
  std::string Make(const std::string& name, mode_t mode) {
    std::string path = dir_.path() + name;
    mkdir(path.c_str(), 0700);
    chmod(path.c_str(), mode);
    return path;
  }
  TempFolder dir_;  // ours, writable by no one else, in the sticky /tmp
  PosixEnv env_;
};

TEST_F(DownloadRootTest, OnlyAFolderOfOursThatNoOneElseCanChangeIsPrivate) {
  std::string own = Make("own", 0700);
  std::string link = dir_.path() + "link";
  ASSERT_EQ(symlink(own.c_str(), link.c_str()), 0);
  std::string foreign = Make("foreign", 0700);
  ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
  std::string open_parent = Make("open", 0777);
  std::string sticky_parent = Make("sticky", 01777);
  struct Case {
    std::string path;
    bool is_private;
  } cases[] = {
      {own, true},
      {own + "/", true},
      {link, false},
      {link + "/", false},
      {Make("shared", 0775), false},
      {Make("everyones", 0777), false},
      {foreign, geteuid() == 65534},
      {Make("open/inside", 0700), false},  // the parent lets it be swapped
      {Make("sticky/inside", 0700), true},
      {"own", false},  // relative
      {dir_.path() + "missing", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(env_.IsPrivateFolder(c.path), c.is_private) << c.path;
  }
}

TEST_F(DownloadRootTest, TmpdirOnlyWhenPrivateElseAPrivateFolderOfTheHome) {
  ScopedEnv home("HOME", Make("home", 0700));
  const std::string fallback = dir_.path() + "home/.cache/bramo/";
  std::string own = Make("tmp", 0700);
  std::string link = dir_.path() + "tmp-link";
  ASSERT_EQ(symlink(own.c_str(), link.c_str()), 0);
  struct Case {
    std::optional<std::string> tmpdir;
    std::string root;
  } cases[] = {
      {own, own + "/"},
      {own + "/", own + "/"},
      {std::string("/tmp"), fallback},  // shared by every user
      {Make("everyones", 0777), fallback},
      {link, fallback},
      {std::string(""), fallback},
      {std::nullopt, fallback},
  };
  for (const Case& c : cases) {
    ScopedEnv tmpdir("TMPDIR", c.tmpdir);
    EXPECT_EQ(env_.FirstLogicalDrive(), c.root) << c.tmpdir.value_or("unset");
  }
  struct stat st;
  ASSERT_EQ(lstat(fallback.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  // The user's own ~/.cache keeps its mode.
  std::string user = Make("user", 0700);
  Make("user/.cache", 0755);
  ScopedEnv user_home("HOME", user);
  ScopedEnv shared("TMPDIR", std::string("/tmp"));
  EXPECT_EQ(env_.FirstLogicalDrive(), user + "/.cache/bramo/");
  ASSERT_EQ(lstat((user + "/.cache").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0755u);
  // A folder of that name made beforehand by another user is not used.
  std::string taken = Make("home2", 0700);
  Make("home2/.cache", 0700);
  Make("home2/.cache/bramo", 0777);
  ASSERT_EQ(chown((taken + "/.cache/bramo").c_str(), 65534, 65534), 0);
  ScopedEnv home2("HOME", taken);
  ScopedEnv tmpdir("TMPDIR", std::string("/tmp"));
  EXPECT_EQ(env_.FirstLogicalDrive(), "");
}

}  // namespace
}  // namespace platform
