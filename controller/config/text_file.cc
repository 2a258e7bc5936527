#include "controller/config/text_file.h"

std::string ToTextMode(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

bool WriteTextFile(platform::Env& env, const std::string& path,
                   const std::string& text) {
  return env.WriteWholeFile(path, ToTextMode(text));
}
