// Files and profile strings on Windows.  Profile values are read and
// written by the Windows API itself; a write goes to a copy of the file in
// the same folder that then replaces the original, so a reader (the
// registration client runs beside the controller) never meets a torn file,
// unless a reader holds the file for longer than a short wait (see
// Replace).
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/ansi_text.h"
#include "platform/thread_stop.h"
#include "platform/win32/win32_env.h"

namespace platform {
namespace {

std::mutex g_profile_mu;

// Unique to this write: the process, so that the registration client's
// writes never meet ours, and a serial number, so that two threads writing
// the same file each have their own temporary file.
std::string TempNameBeside(const std::string& path) {
  static std::atomic<unsigned> serial{0};
  return path + ".writing." + std::to_string(GetCurrentProcessId()) + "." +
         std::to_string(++serial);
}

// Two replaces of one file at the same moment can fail on Windows, the
// second finding the file still held by the first: one replace at a time
// in this process.  A program that has the file open without delete
// sharing (the web application reading a data file, the registration
// client reading the settings) blocks the replace for as long as it holds
// the file: it is tried again for a short while (about 200 ms; a plain
// pause, since a write once begun is never left half done by a stop), and
// a file still held then is written in place, as WritePrivateProfileStringA
// itself writes, rather than losing the write.  A reader may then meet a
// half-written file; a lost setting would be worse.
std::mutex g_replace_mu;
constexpr int kReplaceTries = 20;
constexpr DWORD kReplaceRetryMs = 10;

std::optional<std::string> ReadFileBytes(const std::string& path,
                                         size_t max_bytes) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                  nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  // Only a file on disk: a pipe or a device could block or never end.  A
  // reparse point (a link) is opened as itself and refused (files.h).
  BY_HANDLE_FILE_INFORMATION info = {};
  LARGE_INTEGER size = {};
  if (GetFileType(file) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
      !GetFileSizeEx(file, &size) ||
      static_cast<uint64_t>(size.QuadPart) > max_bytes) {
    CloseHandle(file);
    return std::nullopt;
  }
  // Read in one go into room for the whole file and a byte more, so that
  // no copy is made while it grows.  A file still growing gets more room
  // and stops at one byte over the limit.
  std::string bytes(static_cast<size_t>(size.QuadPart) + 1, '\0');
  size_t got = 0;
  DWORD n = 0;
  bool ok = true;
  while (got <= max_bytes) {
    if (got == bytes.size()) {
      bytes.resize(got + std::min<size_t>(got, max_bytes - got + 1));
    }
    DWORD room = static_cast<DWORD>(
        std::min<size_t>(bytes.size() - got, size_t{1} << 30));
    ok = ReadFile(file, bytes.data() + got, room, &n, nullptr);
    if (!ok || n == 0) break;
    got += n;
  }
  CloseHandle(file);
  if (!ok || got > max_bytes) return std::nullopt;
  bytes.resize(got);
  return bytes;
}

// Writes all of `bytes` at the handle's position.
bool WriteAll(HANDLE file, const std::string& bytes) {
  DWORD written = 0;
  return bytes.empty() ||
         (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                    &written, nullptr) &&
          written == bytes.size());
}

// Overwrites the existing file `path` with `bytes`, sharing it with the
// readers that hold it.
bool WriteInPlace(const std::string& path, const std::string& bytes) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(file, bytes) && SetEndOfFile(file);
  ok = FlushFileBuffers(file) && ok;
  return CloseHandle(file) && ok;
}

// Moves `temp` over `path`; while another process holds `path` the move is
// retried, then the temporary file's bytes are written into it in place.
bool Replace(const std::string& temp, const std::string& path) {
  std::lock_guard<std::mutex> lock(g_replace_mu);
  bool held = false;
  for (int attempt = 0; attempt < kReplaceTries; ++attempt) {
    if (MoveFileExA(temp.c_str(), path.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    DWORD error = GetLastError();
    held = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
    if (!held) break;
    ::Sleep(kReplaceRetryMs);
  }
  bool written = false;
  if (held) {
    std::optional<std::string> bytes = ReadFileBytes(temp, SIZE_MAX - 1);
    written = bytes && WriteInPlace(path, *bytes);
  }
  DeleteFileA(temp.c_str());
  return written;
}

}  // namespace

std::optional<std::string> Win32Env::ReadWholeFile(const std::string& path,
                                                   size_t max_bytes) {
  return ReadFileBytes(path, max_bytes);
}

bool Win32Env::WriteWholeFile(const std::string& path,
                              const std::string& bytes) {
  StopPoint();
  const std::string temp = TempNameBeside(path);
  HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(file, bytes);
  ok = FlushFileBuffers(file) && ok;
  ok = CloseHandle(file) && ok;
  if (!ok) {
    DeleteFileA(temp.c_str());
    return false;
  }
  return Replace(temp, path);
}

bool Win32Env::FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> Win32Env::AnsiToUtf8(const std::string& text) {
  return AnsiTextToUtf8(text);
}

std::string Win32Env::GetProfileText(const std::string& section,
                                     const std::string& key,
                                     const std::string& default_value,
                                     size_t size, const std::string& file) {
  if (size == 0) return "";
  std::vector<char> buf(size, '\0');
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(),
                                     default_value.c_str(), buf.data(),
                                     static_cast<DWORD>(size), file.c_str());
  return std::string(buf.data(), n);
}

bool Win32Env::WriteProfileText(const std::string& section,
                                const std::string& key,
                                const std::string& value,
                                const std::string& file) {
  StopPoint();
  std::lock_guard<std::mutex> lock(g_profile_mu);
  const std::string temp = TempNameBeside(file);
  if (FileExists(file)) {
    if (!CopyFileA(file.c_str(), temp.c_str(), FALSE)) return false;
  }
  if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                  temp.c_str())) {
    DeleteFileA(temp.c_str());
    return false;
  }
  return Replace(temp, file);
}

}  // namespace platform
