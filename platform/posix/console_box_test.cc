#include "platform/posix/console_box.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win_types.h"

namespace platform {
namespace {

TEST(ConsoleBoxTest, UnknownAnswersAskAgainThenTheSafeOneIsTaken) {
  struct Case {
    std::string input;
    bool ok_cancel;
    int answer;
    int prompts_again;
  } cases[] = {
      {"\n", true, id::kOk, 0},
      {"ok\n", true, id::kOk, 0},
      {"  Yes\r\n", true, id::kOk, 0},
      {"cancel \r\n", true, id::kCancel, 0},
      {"\tNO\n", true, id::kCancel, 0},
      {"", true, id::kCancel, 0},  // end of input
      {"sure\nok\n", true, id::kOk, 1},
      {"\x01\xff\x7f\ncancel\n", true, id::kCancel, 1},
      {"okay\nyep\nproceed\nok\n", true, id::kCancel, 2},  // never the 4th
      {"what\n", true, id::kCancel, 1},
      {"anything\n", false, id::kOk, 0},
      {"", false, id::kOk, 0},
  };
  for (const Case& c : cases) {
    std::string input = c.input;
    FILE* in = fmemopen(input.data(), input.size(), "r");
    char* said = nullptr;
    size_t said_size = 0;
    FILE* out = open_memstream(&said, &said_size);
    ASSERT_TRUE(in != nullptr && out != nullptr);
    EXPECT_EQ(ReadBoxAnswer(in, out, c.ok_cancel), c.answer) << c.input;
    std::fclose(in);
    std::fclose(out);
    const std::string output(said, said_size);
    std::free(said);
    size_t prompts = 0;
    for (size_t at = output.find("ok or cancel?"); at != std::string::npos;
         at = output.find("ok or cancel?", at + 1)) {
      ++prompts;
    }
    EXPECT_EQ(prompts, static_cast<size_t>(c.prompts_again)) << c.input;
  }
}

}  // namespace
}  // namespace platform
