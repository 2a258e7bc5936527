#include "platform/common/shell_verbs.h"

#include <strings.h>

#include "platform/common/folder_ops.h"
#include "platform/common/native_path.h"

namespace platform {
namespace {

bool Same(const std::string& a, const char* b) {
  return strcasecmp(a.c_str(), b) == 0;
}

bool IsFolder(PathKind kind) {
  return kind == PathKind::kFolder || kind == PathKind::kLinkToFolder;
}

int Delete(const std::vector<std::string>& args) {
  int status = 0;
  bool any = false;
  for (const std::string& arg : args) {
    if (arg.size() == 2 && arg[0] == '/') continue;  // /Q, /F, /S ...
    any = true;
    const std::string target = ToNativePath(arg);
    const PathKind kind = KindOfPath(target);
    if (kind == PathKind::kFolder) {
      for (const std::string& entry : FolderEntries(target)) {
        if (!IsFolder(KindOfPath(entry))) RemoveFileAt(entry);
      }
    } else if (kind == PathKind::kLinkToFolder || kind == PathKind::kMissing ||
               !RemoveFileAt(target)) {
      // A link to another folder is left alone: emptying "the log folder"
      // through it would delete files of somewhere else.  A missing target
      // is cmd's "Could Not Find".
      status = 1;
    }
  }
  return any ? status : 1;
}

int MakeFolder(const std::vector<std::string>& args) {
  if (args.empty()) return 1;
  int status = 0;
  for (const std::string& arg : args) {
    const std::string folder = ToNativePath(arg);
    if (KindOfPath(folder) != PathKind::kMissing || !MakeFolderTree(folder)) {
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
    const std::string folder = ToNativePath(arg);
    const PathKind kind = KindOfPath(folder);
    if (!IsFolder(kind)) {
      status = 2;
      continue;
    }
    // A link to a folder goes as a link, whatever it leads to.
    bool removed = kind == PathKind::kLinkToFolder ? RemoveFileAt(folder)
                   : subtree                       ? RemoveTree(folder)
                                                   : RemoveEmptyFolder(folder);
    if (!removed) status = 1;
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
