// A temporary install folder for tests: made empty, removed with its
// content at the end.
#ifndef BRAMO_TESTING_TEMP_FOLDER_H_
#define BRAMO_TESTING_TEMP_FOLDER_H_

#include <string>

namespace testing_support {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder's native path, ending in the native separator.
  const std::string& path() const { return path_; }
  // The same folder as the system's code names it: backslashes, ending in
  // a backslash.
  std::string windows_path() const;

  // Writes `bytes` to `relative` (native separators), making folders.
  void Write(const std::string& relative, const std::string& bytes) const;
  // The bytes of `relative`; empty when there is no such file.
  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;

 private:
  std::string path_;
};

}  // namespace testing_support

#endif  // BRAMO_TESTING_TEMP_FOLDER_H_
