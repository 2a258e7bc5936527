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

bool ReplaceUnlessSame(platform::Env& env, const std::string& path,
                       const std::string& bytes) {
  // A larger file is no copy of `bytes`: it is not read further.
  if (env.ReadWholeFile(path, bytes.size()) == bytes) return true;
  return env.WriteWholeFile(path, bytes);
}

bool WriteTextFile(platform::Env& env, const std::string& path,
                   const std::string& text) {
  return env.WriteWholeFile(path, ToTextMode(text));
}
