#include "platform/posix/console_box.h"

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

}  // namespace

int ReadBoxAnswer(std::istream& in, std::ostream& out, bool ok_cancel) {
  const int safe = ok_cancel ? id::kCancel : id::kOk;
  std::string line;
  for (int ask = 0; ask < kBoxAsks; ++ask) {
    if (ask > 0) out << "[box] ok or cancel? " << std::flush;
    if (!std::getline(in, line)) {
      // No one to ask: never agree by default.
      out << "(no answer: " << (ok_cancel ? "cancel" : "ok") << ")"
          << std::endl;
      return safe;
    }
    if (!ok_cancel) return id::kOk;
    std::string word = Trimmed(line);
    if (word.empty() || word == "ok" || word == "o" || word == "yes" ||
        word == "y") {
      return id::kOk;
    }
    if (word == "cancel" || word == "c" || word == "no" || word == "n") {
      return id::kCancel;
    }
  }
  out << "(no answer understood: cancel)" << std::endl;
  return safe;
}

}  // namespace platform
