#include "platform/common/folder_ops.h"

namespace platform {
namespace {

bool IsFolder(PathKind kind) {
  return kind == PathKind::kFolder || kind == PathKind::kLinkToFolder;
}

}  // namespace

bool MakeFolderTree(const std::string& folder) {
  size_t at = 0;
  while (at != std::string::npos) {
    at = folder.find_first_of(kFolderPathSeparators, at + 1);
    const std::string prefix = folder.substr(0, at);
    if (prefix.empty() || prefix.back() == ':') continue;  // "/" or "C:"
    const PathKind kind = KindOfPath(prefix);
    if (kind == PathKind::kMissing) {
      if (!MakeOneFolder(prefix)) return false;
    } else if (!IsFolder(kind)) {
      return false;
    }
  }
  return true;
}

bool RemoveTree(const std::string& path) {
  if (KindOfPath(path) != PathKind::kFolder) return RemoveFileAt(path);
  bool all = true;
  for (const std::string& entry : FolderEntries(path)) {
    all = RemoveTree(entry) && all;
  }
  return RemoveEmptyFolder(path) && all;
}

}  // namespace platform
