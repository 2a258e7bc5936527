#include "platform/common/shell_verbs.h"

#include <strings.h>

#include <filesystem>
#include <system_error>

#include "platform/common/native_path.h"

namespace platform {
namespace fs = std::filesystem;
namespace {

bool Same(const std::string& a, const char* b) {
  return strcasecmp(a.c_str(), b) == 0;
}

int Delete(const std::vector<std::string>& args) {
  int status = 0;
  bool any = false;
  for (const std::string& arg : args) {
    if (arg.size() == 2 && arg[0] == '/') continue;  // /Q, /F, /S ...
    any = true;
    std::error_code ec;
    fs::path target(ToNativePath(arg));
    // NOLINTNEXTLINE(bugprone-branch-clone): two refusals, one status.
    if (fs::is_symlink(target, ec) && fs::is_directory(target, ec)) {
      // A link to another folder: emptying "the log folder" through it
      // would delete files of somewhere else.
      status = 1;
    } else if (fs::is_directory(target, ec)) {
      for (const auto& entry : fs::directory_iterator(target, ec)) {
        std::error_code ignored;
        if (!entry.is_directory(ignored)) fs::remove(entry.path(), ignored);
      }
    } else if (!fs::remove(target, ec)) {
      status = 1;  // "Could Not Find"
    }
  }
  return any ? status : 1;
}

int MakeFolder(const std::vector<std::string>& args) {
  if (args.empty()) return 1;
  int status = 0;
  for (const std::string& arg : args) {
    std::error_code ec;
    fs::path folder(ToNativePath(arg));
    if (fs::exists(folder, ec) || !fs::create_directories(folder, ec)) {
      status = 1;
    }
  }
  return status;
}

int RemoveFolder(const std::vector<std::string>& args) {
  bool subtree = false;
  std::vector<std::string> folders;
  for (const std::string& arg : args) {
    if (Same(arg, "/s")) {
      subtree = true;
    } else if (Same(arg, "/q")) {
      // Never asks anyway.
    } else {
      folders.push_back(arg);
    }
  }
  if (folders.empty()) return 1;
  int status = 0;
  for (const std::string& arg : folders) {
    std::error_code ec;
    fs::path folder(ToNativePath(arg));
    if (!fs::is_directory(folder, ec)) {
      status = 2;
      continue;
    }
    if (subtree) {
      fs::remove_all(folder, ec);
    } else {
      fs::remove(folder, ec);
    }
    if (ec) status = 1;
  }
  return status;
}

}  // namespace

std::vector<std::string> SplitShellWords(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

std::optional<int> RunShellVerb(const std::string& text) {
  std::vector<std::string> words = SplitShellWords(text);
  if (words.empty()) return std::nullopt;
  std::vector<std::string> args(words.begin() + 1, words.end());
  const std::string& verb = words[0];
  if (Same(verb, "del") || Same(verb, "erase")) return Delete(args);
  if (Same(verb, "md") || Same(verb, "mkdir")) return MakeFolder(args);
  if (Same(verb, "rd") || Same(verb, "rmdir")) return RemoveFolder(args);
  return std::nullopt;
}

}  // namespace platform
