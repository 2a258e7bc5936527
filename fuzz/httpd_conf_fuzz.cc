// Whatever httpd.conf holds and wherever the system is installed, the
// rewrite is done once for all (a second run gives the same bytes), keeps
// every line no rule recognises byte for byte, and turns each recognised
// line into one of the rules' texts (the one rule's own when one alone
// recognises it) with the folder's double-byte characters whole.  Only
// RewriteHttpdConf is called, so the target holds for any implementation of it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "controller/config/httpd_conf.h"
#include "fuzz/fuzz_fields.h"
#include "fuzz/memory_env.h"

namespace {

bool IsLead(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x81 && b <= 0xFE;
}

// The first position of `needle` at a character start of GBK `text`.
size_t Find(const std::string& text, const std::string& needle) {
  for (size_t i = 0; i < text.size(); i += IsLead(text[i]) ? 2 : 1) {
    if (text[i] == needle[0] && text.compare(i, needle.size(), needle) == 0) {
      return i;
    }
  }
  return std::string::npos;
}

std::string Slashes(std::string text) {
  for (size_t i = 0; i < text.size(); i += IsLead(text[i]) ? 2 : 1) {
    if (text[i] == '\\') text[i] = '/';
  }
  return text;
}

// An install folder Windows can have: a drive, names without control
// characters or any of "*:<>?| and a closing backslash.  Double-byte
// characters stay, also those whose second byte is the backslash's.
std::string Folder(const std::string& field) {
  std::string names;
  for (char c : field) {
    if (static_cast<unsigned char>(c) >= 0x20 &&
        std::string("\"*:<>?|").find(c) == std::string::npos) {
      names += c;
    }
  }
  // A lead byte at the very end would take the closing backslash.
  size_t i = 0;
  while (i < names.size()) i += IsLead(names[i]) ? 2 : 1;
  if (i > names.size()) names.pop_back();
  return "D:\\" + names + (names.empty() ? "" : "\\");
}

// The text-mode read: a Ctrl-Z ends the file, CR LF becomes LF.
std::vector<std::string> Lines(const std::string& bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size() && bytes[i] != '\x1a'; ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      continue;
    }
    text += bytes[i];
  }
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    size_t lf = text.find('\n', at);
    if (lf == std::string::npos) lf = text.size();
    lines.push_back(text.substr(at, lf - at));
    at = lf + 1;
  }
  return lines;
}

// The rules that recognise `line`, in the order of RuleTexts: keys a line
// begins with, or markers anywhere at a character start.
std::vector<size_t> Recognising(const std::string& line) {
  static const char* const kKeys[] = {"ServerRoot",
                                      "DocumentRoot",
                                      "#HTTP#",
                                      "ServerName localhost:",
                                      "#HTTPS#",
                                      "<VirtualHost _default_:",
                                      "    ServerName localhost:"};
  std::vector<size_t> rules;
  for (size_t i = 0; i < std::size(kKeys); ++i) {
    const size_t at = Find(line, kKeys[i]);
    if (kKeys[i][0] == '#' ? at != std::string::npos : at == 0) {
      rules.push_back(i);
    }
  }
  return rules;
}

std::vector<std::string> RuleTexts(const std::string& folder, int http,
                                   int https) {
  const std::string h = std::to_string(http), s = std::to_string(https);
  std::vector<std::string> texts = {"ServerRoot \"" + folder + "apache\"",
                                    "DocumentRoot \"" + folder + "website/\"",
                                    "Listen " + h + "  #HTTP#",
                                    "ServerName localhost:" + h,
                                    "Listen " + s + "  #HTTPS#",
                                    "<VirtualHost _default_:" + s + ">",
                                    "    ServerName localhost:" + s};
  for (std::string& text : texts) text = Slashes(text);
  return texts;
}

bool IsOneOf(const std::string& line, const std::vector<std::string>& texts) {
  for (const std::string& text : texts) {
    if (line == text) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryEnv env;
  env.Reset();
  FuzzFields in(data, size);
  const std::string folder = Folder(in.Next());
  const int http = in.NextInt();
  const int https = in.NextInt();
  const std::string installed = in.Rest();
  const std::string path = folder + "apache\\conf\\httpd.conf";
  env.files[path] = installed;

  // Apache reads the paths as UTF-8: the folder, its slashes set in GBK,
  // goes in converted; a folder that is no GBK text is refused.
  const std::optional<std::string> server_folder =
      env.AnsiToUtf8(Slashes(folder));
  if (!server_folder) {
    if (RewriteHttpdConf(env, folder, http, https) == 0) std::abort();
    return 0;
  }
  if (RewriteHttpdConf(env, folder, http, https) != 0) std::abort();
  const std::string once = env.files[path];
  if (RewriteHttpdConf(env, folder, http, https) != 0) std::abort();
  if (env.files[path] != once || env.message_boxes != 0) std::abort();

  // No rule's text holds a line end (no folder does), so the lines
  // correspond one to one.
  const std::vector<std::string> before = Lines(installed);
  const std::vector<std::string> texts = RuleTexts(*server_folder, http, https);
  const std::vector<std::string> after = Lines(once);
  if (after.size() != before.size()) std::abort();
  // A line one rule alone recognises becomes that rule's text, unless the
  // folder holds a marker that a later rule recognises again.
  const bool folder_marker = folder.find('#') != std::string::npos;
  for (size_t i = 0; i < before.size(); ++i) {
    const std::vector<size_t> rules = Recognising(before[i]);
    const bool wrong = rules.empty() ? after[i] != before[i]
                       : rules.size() == 1 && !folder_marker
                           ? after[i] != texts[rules[0]]
                           : !IsOneOf(after[i], texts);
    if (wrong) std::abort();
  }
  // Every line, the last one too, ends in CR LF on disk.
  std::string rebuilt;
  for (const std::string& line : after) rebuilt += line + "\r\n";
  if (once != rebuilt) std::abort();
  return 0;
}
