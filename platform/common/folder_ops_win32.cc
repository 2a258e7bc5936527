#include <windows.h>

#include "platform/common/folder_ops.h"

namespace platform {

const char kFolderPathSeparators[] = "\\/";

PathKind KindOfPath(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kMissing;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return PathKind::kFile;
  // A junction or a folder link: removing it must not reach inside.
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return PathKind::kLinkToFolder;
  return PathKind::kFolder;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> entries;
  const std::string prefix =
      folder.empty() || folder.back() == '\\' || folder.back() == '/'
          ? folder
          : folder + "\\";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((prefix + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") entries.push_back(prefix + name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return entries;
}

bool RemoveFileAt(const std::string& path) {
  // A folder link is removed as a folder, without its target's content.
  if (KindOfPath(path) == PathKind::kLinkToFolder) {
    return RemoveDirectoryA(path.c_str()) != 0;
  }
  return DeleteFileA(path.c_str()) != 0;
}

bool RemoveEmptyFolder(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) != 0;
}

bool MakeOneFolder(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

}  // namespace platform
