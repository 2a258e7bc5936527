// Files and profile strings on Linux: our own profile rules on real files,
// every write replacing the file whole through a temporary file and a
// rename.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/ansi_text.h"
#include "platform/common/profile_text.h"
#include "platform/posix/console_text.h"
#include "platform/posix/linux_name.h"
#include "platform/posix/posix_env.h"
#include "platform/thread_stop.h"

namespace platform {
namespace {

// Profile writes read, change and replace the file; one at a time in this
// process, so that two threads writing different keys lose neither.
std::mutex g_profile_mu;

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// A settings file saved as UTF-16 (little-endian, with its byte order
// mark), as Notepad may save it: the Windows profile calls read it as text
// of the ANSI code page and keep it UTF-16 when they write.
bool IsUtf16(const std::string& bytes) {
  return bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
}

std::string AnsiText(const std::string& bytes) {
  return IsUtf16(bytes) ? ConvertText("GBK", "UTF-16LE", bytes.substr(2))
                        : bytes;
}

std::string FileBytes16(const std::string& text) {
  return "\xFF\xFE" + ConvertText("UTF-16LE", "GBK", text);
}

}  // namespace

std::optional<std::string> PosixEnv::ReadWholeFile(const std::string& path,
                                                   size_t max_bytes) {
  // Without O_NONBLOCK, opening a FIFO would wait for a writer forever.
  // O_NOFOLLOW: a link fails to open (files.h).
  int fd = open(ToLinuxName(path).c_str(),
                O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<uint64_t>(st.st_size) > max_bytes) {
    close(fd);
    return std::nullopt;
  }
  // Read in one go into room for the whole file and a byte more, so that
  // no copy is made while it grows.  A file still growing gets more room
  // and stops at one byte over the limit.
  std::string bytes(static_cast<size_t>(st.st_size) + 1, '\0');
  size_t got = 0;
  while (got <= max_bytes) {
    if (got == bytes.size()) {
      bytes.resize(got + std::min(got, max_bytes - got + 1));
    }
    ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  close(fd);
  if (got > max_bytes) return std::nullopt;
  bytes.resize(got);
  return bytes;
}

bool PosixEnv::WriteWholeFile(const std::string& path,
                              const std::string& bytes) {
  StopPoint();
  const std::string native = ToLinuxName(path);
  size_t slash = native.rfind('/');
  std::string temp =
      (slash == std::string::npos ? std::string()
                                  : native.substr(0, slash + 1)) +
      "." + native.substr(slash == std::string::npos ? 0 : slash + 1) +
      ".XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  // A replaced file keeps its permissions; a new one gets the usual ones,
  // and so does one that was a link: the rename replaces the link, and
  // what it pointed to is none of this file's business.
  struct stat st;
  mode_t mode = lstat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode)
                    ? (st.st_mode & 07777)
                    : 0644;
  bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (ok && rename(name.data(), native.c_str()) == 0) return true;
  unlink(name.data());
  return false;
}

// No temporary file, no flush to the disk, no rename: norvik's request
// lives for one curl run, and each of those costs more than the write.
bool PosixEnv::WriteShortLivedFile(const std::string& path,
                                   const std::string& bytes) {
  StopPoint();
  int fd = open(
      ToLinuxName(path).c_str(),
      O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && WriteAll(fd, bytes);
  return close(fd) == 0 && ok;
}

bool PosixEnv::FileExists(const std::string& path) {
  struct stat st;
  return stat(ToLinuxName(path).c_str(), &st) == 0;
}

std::optional<std::string> PosixEnv::AnsiToUtf8(const std::string& text) {
  return AnsiTextToUtf8(text);
}

std::string PosixEnv::GetProfileText(const std::string& section,
                                     const std::string& key,
                                     const std::string& default_value,
                                     size_t size, const std::string& file) {
  std::string content =
      AnsiText(ReadWholeFile(file, kProfileFileLimit).value_or(""));
  return ReadProfileText(content, section, key, default_value, size);
}

bool PosixEnv::WriteProfileText(const std::string& section,
                                const std::string& key,
                                const std::string& value,
                                const std::string& file) {
  StopPoint();
  std::lock_guard<std::mutex> lock(g_profile_mu);
  std::string content;
  if (FileExists(file)) {
    std::optional<std::string> old = ReadWholeFile(file, kProfileFileLimit);
    if (!old) return false;  // never replace what could not be read
    content = *old;
  }
  bool utf16 = IsUtf16(content);
  std::string text =
      WriteProfileTextInto(AnsiText(content), section, key, value);
  return WriteWholeFile(file, utf16 ? FileBytes16(text) : text);
}

}  // namespace platform
