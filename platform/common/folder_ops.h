// The few file operations the command interpreter's verbs need, one small
// implementation per platform (folder_ops_<platform>.cc).  Paths are native
// paths, in the system's text bytes.
#ifndef BRAMO_PLATFORM_COMMON_FOLDER_OPS_H_
#define BRAMO_PLATFORM_COMMON_FOLDER_OPS_H_

#include <string>
#include <vector>

namespace platform {

// The characters that separate a path's folders.
extern const char kFolderPathSeparators[];

enum class PathKind { kMissing, kFile, kFolder, kLinkToFolder };

// What `path` itself is: a link to a folder is not followed; a link to
// anything else (or to nothing) counts as a file.
PathKind KindOfPath(const std::string& path);

// The full paths of what `folder` holds, "." and ".." left out; empty when
// it cannot be read.
std::vector<std::string> FolderEntries(const std::string& folder);

// Removes a file or a link (never what a link leads to).
bool RemoveFileAt(const std::string& path);

// Removes a folder that is empty.
bool RemoveEmptyFolder(const std::string& path);

// Creates one folder whose parent exists.
bool MakeOneFolder(const std::string& path);

// Creates `folder` and every missing parent; false when a part of it is
// a file or cannot be made.
bool MakeFolderTree(const std::string& folder);

// Removes `path` and, when it is a folder (not a link to one), all it
// holds.  Goes on past what it cannot remove; false if anything stayed.
bool RemoveTree(const std::string& path);

}  // namespace platform

#endif  // BRAMO_PLATFORM_COMMON_FOLDER_OPS_H_
