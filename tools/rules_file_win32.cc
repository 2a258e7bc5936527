// The rules file on Windows: LockFileEx on the lock file, a new file put
// in place with MoveFileExA.
#include <windows.h>

#include <string>

#include "tools/rules_file.h"

namespace tools {
namespace {

HANDLE AsHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

bool WriteAll(HANDLE file, const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    DWORD n = 0;
    if (!WriteFile(file, bytes.data() + done,
                   static_cast<DWORD>(bytes.size() - done), &n, nullptr) ||
        n == 0) {
      return false;
    }
    done += n;
  }
  return true;
}

}  // namespace

RulesFileLock::RulesFileLock(const std::string& rules_path) {
  HANDLE file =
      CreateFileA((rules_path + ".lock").c_str(), GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  handle_ = reinterpret_cast<std::intptr_t>(file);
  OVERLAPPED at = {};
  held_ = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at) != 0;
}

RulesFileLock::~RulesFileLock() {
  if (handle_ == -1) return;
  if (held_) {
    OVERLAPPED at = {};
    UnlockFileEx(AsHandle(handle_), 0, 1, 0, &at);
  }
  CloseHandle(AsHandle(handle_));
}

bool ReplaceRulesFile(const std::string& path,
                      const std::vector<std::string>& lines) {
  // One temporary name per process: two netsh runs never share it, and
  // the lock keeps them from replacing the file at once.
  const std::string temp = path + "." + std::to_string(GetCurrentProcessId());
  HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  bool ok = WriteAll(file, bytes);
  ok = CloseHandle(file) && ok;
  if (ok && MoveFileExA(temp.c_str(), path.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  DeleteFileA(temp.c_str());
  return false;
}

}  // namespace tools
