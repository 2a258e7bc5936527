// Where netsh's firewall rules are kept: the file's lock and its
// whole-file replacement, per platform.
#ifndef BRAMO_TOOLS_RULES_FILE_H_
#define BRAMO_TOOLS_RULES_FILE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// Holds the lock file beside the rules file (`rules_path` + ".lock") for
// its lifetime, waiting for another holder to let go.
class RulesFileLock {
 public:
  explicit RulesFileLock(const std::string& rules_path);
  ~RulesFileLock();
  RulesFileLock(const RulesFileLock&) = delete;
  RulesFileLock& operator=(const RulesFileLock&) = delete;
  bool held() const { return held_; }

 private:
  std::intptr_t handle_ = -1;  // a descriptor or a HANDLE
  bool held_ = false;
};

// Writes the lines, each ending in the platform's line end, to a new file
// beside `path` and puts it in the file's place, so that a reader sees
// the old file or the new one, never a part.  False when any step fails
// (the file is then unchanged).
bool ReplaceRulesFile(const std::string& path,
                      const std::vector<std::string>& lines);

}  // namespace tools

#endif  // BRAMO_TOOLS_RULES_FILE_H_
