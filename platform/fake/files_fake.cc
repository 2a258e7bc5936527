// The fake's files are real files; writes can be made to fail half-way.
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/ansi_text.h"
#include "platform/common/native_path.h"
#include "platform/common/profile_text.h"
#include "platform/fake/fake_env.h"
#include "platform/thread_stop.h"

namespace platform {
namespace fs = std::filesystem;

std::optional<std::string> FakeEnv::ReadWholeFile(const std::string& path,
                                                  size_t max_bytes) {
  std::error_code ec;
  const std::string native = ToNativePath(path);
  // As the real layers: a link is not followed.
  if (!fs::is_regular_file(fs::symlink_status(native, ec)) ||
      fs::file_size(native, ec) > max_bytes) {
    return std::nullopt;
  }
  std::ifstream in(native, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool FakeEnv::WriteWholeFile(const std::string& path,
                             const std::string& bytes) {
  StopPoint();
  std::optional<size_t> fail_after;
  {
    std::lock_guard<std::mutex> lock(mu_);
    fail_after.swap(fail_writes_after_bytes);
  }
  const std::string native = ToNativePath(path);
  // Each write has a temporary name of its own, so two threads writing
  // the same file never write into one temporary file.
  static std::atomic<unsigned> serial{0};
  const std::string temp = native + ".writing." + std::to_string(++serial);
  bool ok;
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    ok = static_cast<bool>(out);
    if (ok && fail_after) {
      // The write dies here: part of the new content reached the disk.
      out.write(bytes.data(), static_cast<std::streamsize>(
                                  std::min(*fail_after, bytes.size())));
      ok = false;
    } else if (ok) {
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      out.flush();
      ok = static_cast<bool>(out);
    }
  }
  std::error_code ec;
  if (ok) {
    // As the real layers do: one replace at a time (Windows refuses a
    // replace of a file that another replace holds).
    std::lock_guard<std::mutex> lock(replace_mu_);
    fs::rename(temp, native, ec);
  }
  if (!ok || ec) {
    fs::remove(temp, ec);
    ok = false;
  }
  Record("write " + path + (ok ? "" : " (failed)"));
  return ok;
}

bool FakeEnv::FileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(ToNativePath(path), ec);
}

// The real conversion: what the server's files hold is no fake's choice.
std::optional<std::string> FakeEnv::AnsiToUtf8(const std::string& text) {
  return AnsiTextToUtf8(text);
}

std::string FakeEnv::GetProfileText(const std::string& section,
                                    const std::string& key,
                                    const std::string& default_value,
                                    size_t size, const std::string& file) {
  return ReadProfileText(ReadWholeFile(file, kProfileFileLimit).value_or(""),
                         section, key, default_value, size);
}

bool FakeEnv::WriteProfileText(const std::string& section,
                               const std::string& key, const std::string& value,
                               const std::string& file) {
  StopPoint();
  std::lock_guard<std::mutex> lock(profile_mu_);
  Record("profile write [" + section + "] " + key + "=" + value + " " + file);
  std::string content;
  if (FileExists(file)) {
    std::optional<std::string> old = ReadWholeFile(file, kProfileFileLimit);
    if (!old) return false;
    content = *old;
  }
  return WriteWholeFile(file,
                        WriteProfileTextInto(content, section, key, value));
}

}  // namespace platform
