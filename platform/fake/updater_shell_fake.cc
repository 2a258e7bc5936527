#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/common/native_path.h"
#include "platform/fake/fake_env.h"

namespace platform {

int FakeEnv::ShowMessageBoxW(const std::string& text,
                             const std::string& caption, uint32_t type) {
  const bool ok_cancel = (type & mb::kButtonMask) == mb::kOkCancel;
  Record(std::string("msgboxw ") + (ok_cancel ? "okcancel" : "ok") + " \"" +
         TraceText(caption) + "\" \"" + TraceText(text) + "\"");
  std::lock_guard<std::mutex> lock(mu_);
  if (message_box_answers.empty()) return id::kOk;
  int answer = message_box_answers.front();
  message_box_answers.pop_front();
  return answer;
}

bool FakeEnv::ShellOpenW(const std::string& address) {
  Record("open " + address);
  return true;
}

std::string FakeEnv::FirstLogicalDrive() { return first_drive; }

bool FakeEnv::IsPrivateFolder(const std::string& path) {
  if (foreign_folders.count(path) != 0) return false;
  std::error_code ec;
  std::filesystem::path native(ToNativePath(path));
  return std::filesystem::is_directory(native, ec) &&
         !std::filesystem::is_symlink(native, ec);
}

bool FakeEnv::IsVendorInstaller(const std::string& path,
                                const std::string& address,
                                const std::string& key_path) {
  std::ifstream in(ToNativePath(path), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const bool vendor = in && vendor_installers.count(bytes.str()) != 0;
  Record("verify " + path + " from " + address + " key=" + key_path +
         (vendor ? "" : " (refused)"));
  return vendor;
}

std::optional<std::string> FakeEnv::EnvironmentVariable(
    const std::string& name) {
  auto it = environment.find(name);
  if (it == environment.end()) return std::nullopt;
  return it->second;
}

}  // namespace platform
