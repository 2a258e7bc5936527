// Splitting a command line built by quoting a program name and a set of
// arguments gives them back; and whatever line comes in, quoting the
// words it splits into and splitting again gives the same words.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_fields.h"
#include "platform/common/command_line.h"

namespace {

using platform::QuoteArgument;
using platform::SplitCommandLine;

// The program name takes no escapes: between quotes when it holds a blank
// or a tab (or is empty), as it is otherwise.
std::string QuoteProgram(const std::string& name) {
  if (!name.empty() && name.find_first_of(" \t") == std::string::npos) {
    return name;
  }
  return "\"" + name + "\"";
}

// A program name a line can carry: Windows file names hold no quote, and
// the name's quoting knows no escape for one.
bool IsProgramName(const std::string& name) {
  return name.find('"') == std::string::npos;
}

std::string Join(const std::vector<std::string>& words,
                 const std::string& separator) {
  std::string line = QuoteProgram(words[0]);
  for (size_t i = 1; i < words.size(); ++i) {
    line += separator + QuoteArgument(words[i]);
  }
  return line;
}

// Blanks and tabs between words, one or more, as the first input byte says.
std::string Separator(unsigned char choice) {
  static const char* const kSeparators[] = {" ", "\t", "  ", " \t "};
  return kSeparators[choice % 4];
}

bool IsBlankLine(const std::string& line) {
  return line.find_first_not_of(" \t") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string separator = Separator(data[0]);
  FuzzFields in(data + 1, size - 1);
  // The fields are the program and its arguments (command lines are C
  // strings: no word holds a zero byte).
  std::vector<std::string> words{in.Next()};
  while (!in.AtEnd()) words.push_back(in.Next());

  if (IsProgramName(words[0]) &&
      SplitCommandLine(Join(words, separator)) != words) {
    std::abort();
  }

  // The first field taken as a whole command line, as it came.
  const std::string& line = words[0];
  const std::vector<std::string> split = SplitCommandLine(line);
  if (split.empty() != IsBlankLine(line)) std::abort();
  if (!split.empty() && IsProgramName(split[0]) &&
      SplitCommandLine(Join(split, separator)) != split) {
    std::abort();
  }
  return 0;
}
