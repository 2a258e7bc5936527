#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/common/native_path.h"
#include "platform/posix/posix_env.h"
#include "testing/temp_folder.h"

namespace platform {
namespace {

class RunCapturedPosixTest : public ::testing::Test {
 protected:
  int Run(const std::string& line) {
    output_ = "unset";
    return env_.RunCommandCaptured(line, &output_, &errors_, &exit_code_,
                                   &error_);
  }
  PosixEnv env_;
  std::string output_;
  std::string errors_;
  int exit_code_ = -1;
  uint32_t error_ = 0;
};

TEST_F(RunCapturedPosixTest, OutputFarBeyondThePipeBufferIsTakenWhole) {
  // 1 MiB: a child writing this much would never end if nobody read.
  ASSERT_EQ(Run("head -c 1048576 /dev/zero"), 0);
  EXPECT_EQ(output_.size(), 1048576u);
  EXPECT_EQ(exit_code_, 0);
}

TEST_F(RunCapturedPosixTest, StandardErrorIsKeptApartAndExitCodeIsKept) {
  ASSERT_EQ(Run("ls /no-such-folder-here"), 0);
  EXPECT_EQ(output_, "");
  EXPECT_NE(errors_.find("no-such-folder-here"), std::string::npos);
  EXPECT_NE(exit_code_, 0);
  // Much on both streams at once: neither pipe may stall the other.
  ASSERT_EQ(Run("sh -c \"head -c 300000 /dev/zero >&2; echo out\""), 0);
  EXPECT_EQ(output_, "out\n");
  EXPECT_EQ(errors_.size(), 300000u);
}

TEST_F(RunCapturedPosixTest, QuotedWindowsPathArgumentsReachTheChildAsLinuxPaths) {
  testing_support::TempFolder folder;
  folder.Write("my file", "content\r\n");
  std::string file = folder.windows_path() + "my file";
  ASSERT_EQ(Run("cat \"" + file + "\""), 0);
  EXPECT_EQ(output_, "content\r\n");
  EXPECT_EQ(exit_code_, 0);
}

TEST_F(RunCapturedPosixTest, UnknownProgramIsNotStarted) {
  EXPECT_EQ(Run("no-such-program-norvik-test --x"), 3);
  EXPECT_EQ(error_, 2u);
  EXPECT_EQ(Run(""), 3);
}

}  // namespace
}  // namespace platform
