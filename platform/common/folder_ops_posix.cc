#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/common/folder_ops.h"

namespace platform {

const char kFolderPathSeparators[] = "/";

PathKind KindOfPath(const std::string& path) {
  struct stat own;
  if (lstat(path.c_str(), &own) != 0) return PathKind::kMissing;
  if (S_ISDIR(own.st_mode)) return PathKind::kFolder;
  struct stat target;
  if (S_ISLNK(own.st_mode) && stat(path.c_str(), &target) == 0 &&
      S_ISDIR(target.st_mode)) {
    return PathKind::kLinkToFolder;
  }
  return PathKind::kFile;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> entries;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return entries;
  const std::string prefix =
      folder.empty() || folder.back() == '/' ? folder : folder + "/";
  while (struct dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") entries.push_back(prefix + name);
  }
  closedir(dir);
  return entries;
}

bool RemoveFileAt(const std::string& path) { return unlink(path.c_str()) == 0; }

bool RemoveEmptyFolder(const std::string& path) {
  return rmdir(path.c_str()) == 0;
}

bool MakeOneFolder(const std::string& path) {
  return mkdir(path.c_str(), 0777) == 0;
}

}  // namespace platform
