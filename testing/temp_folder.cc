#include "testing/temp_folder.h"

#include <algorithm>
#include <atomic>
#include <random>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testing_support {
namespace fs = std::filesystem;

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  auto stamp = std::random_device{}();
  fs::path dir = fs::temp_directory_path() /
                 ("bramo_test_" + std::to_string(stamp) + "_" +
                  std::to_string(counter++));
  fs::create_directories(dir);
  path_ = dir.string();
  char sep = static_cast<char>(fs::path::preferred_separator);
  if (path_.back() != sep) path_ += sep;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string TempFolder::windows_path() const {
  std::string out = path_;
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

void TempFolder::Write(const std::string& relative,
                       const std::string& bytes) const {
  fs::path file = fs::path(path_) / relative;
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string TempFolder::Read(const std::string& relative) const {
  std::ifstream in(fs::path(path_) / relative, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool TempFolder::Exists(const std::string& relative) const {
  std::error_code ec;
  return fs::exists(fs::path(path_) / relative, ec);
}

}  // namespace testing_support
