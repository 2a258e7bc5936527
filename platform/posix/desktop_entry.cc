#include "platform/posix/desktop_entry.h"

namespace platform {

std::string DesktopExecValue(const std::string& program) {
  std::string quoted = "\"";
  for (char c : program) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';  // "%%" is a literal '%'
    quoted += c;
  }
  quoted += '"';
  // The string escapes apply first when the file is read, the quoting
  // after them.
  std::string value;
  for (char c : quoted) {
    switch (c) {
      case '\\':
        value += "\\\\";
        break;
      case '\n':
        value += "\\n";
        break;
      case '\r':
        value += "\\r";
        break;
      case '\t':
        value += "\\t";
        break;
      default:
        value += c;
    }
  }
  return value;
}

std::optional<std::string> DesktopExecProgram(const std::string& value) {
  std::string text;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      text += value[i];
      continue;
    }
    char c = value[++i];
    text += c == 'n'   ? '\n'
            : c == 'r' ? '\r'
            : c == 't' ? '\t'
            : c == 's' ? ' '
                       : c;
  }
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') {
    return std::nullopt;
  }
  std::string program;
  for (size_t i = 1; i + 1 < text.size(); ++i) {
    char c = text[i];
    if (c == '\\' && i + 2 < text.size()) {
      c = text[++i];
    } else if (c == '%' && i + 2 < text.size() && text[i + 1] == '%') {
      ++i;
    } else if (c == '"') {
      return std::nullopt;  // a second argument
    }
    program += c;
  }
  return program;
}

}  // namespace platform
