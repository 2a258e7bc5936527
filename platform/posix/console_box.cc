#include "platform/posix/console_box.h"

#include <optional>
#include <string>

#include "platform/win_types.h"

namespace platform {
namespace {

std::string Trimmed(const std::string& line) {
  const char* blanks = " \t\r";
  size_t begin = line.find_first_not_of(blanks);
  if (begin == std::string::npos) return "";
  size_t end = line.find_last_not_of(blanks);
  std::string word = line.substr(begin, end - begin + 1);
  for (char& c : word) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return word;
}

// One line without its line end; empty at the end of input, as
// std::getline: a last line without an end still counts.
std::optional<std::string> ReadLine(FILE* in) {
  std::string line;
  int c;
  while ((c = std::getc(in)) != EOF && c != '\n') {
    line += static_cast<char>(c);
  }
  if (c == EOF && line.empty()) return std::nullopt;
  return line;
}

void Say(FILE* out, const char* text) {
  std::fputs(text, out);
  std::fflush(out);
}

}  // namespace

int ReadBoxAnswer(FILE* in, FILE* out, bool ok_cancel) {
  const int safe = ok_cancel ? id::kCancel : id::kOk;
  for (int ask = 0; ask < kBoxAsks; ++ask) {
    if (ask > 0) Say(out, "[box] ok or cancel? ");
    std::optional<std::string> line = ReadLine(in);
    if (!line) {
      // No one to ask: never agree by default.
      Say(out, ok_cancel ? "(no answer: cancel)\n" : "(no answer: ok)\n");
      return safe;
    }
    if (!ok_cancel) return id::kOk;
    std::string word = Trimmed(*line);
    if (word.empty() || word == "ok" || word == "o" || word == "yes" ||
        word == "y") {
      return id::kOk;
    }
    if (word == "cancel" || word == "c" || word == "no" || word == "n") {
      return id::kCancel;
    }
  }
  Say(out, "(no answer understood: cancel)\n");
  return safe;
}

}  // namespace platform
