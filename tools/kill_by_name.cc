#include "tools/kill_by_name.h"

#include <set>
#include <thread>

#include "tools/text_case.h"

namespace tools {
bool NameMatches(const std::string& base, const std::string& name) {
  return SameIgnoringCase(base, name) || SameIgnoringCase(base, name + ".exe");
}

std::string InstallFolderOf(const std::string& tool_path) {
  // Plain strings and the platform's narrow calls, not std::filesystem:
  // on Windows that reads a narrow path as UTF-8, and a folder named in
  // the ANSI code page (a Chinese one) would never be found.
  std::string dir =
      tool_path.substr(0, tool_path.find_last_of(kFolderSeparators) + 1);
  std::string at = dir;
  while (!at.empty()) {
    if (FileExists(at + "Sablo.exe")) return at;
    const size_t end = at.find_last_not_of(kFolderSeparators);
    if (end == std::string::npos) break;  // the root
    at.resize(at.find_last_of(kFolderSeparators, end) + 1);
  }
  return dir;
}

int EndInstallationProcesses(const std::string& folder,
                             const std::string& name) {
  // Until none is listed: a process ended a moment ago is listed until it
  // is gone, and one that its parent started just before the end shows
  // only then.  An ended process leaves the list within milliseconds, so
  // the rounds are bounded.
  constexpr int kRounds = 100;
  std::set<ProcessId> ended;
  for (int round = 0; round < kRounds; ++round) {
    const std::vector<ProcessId> found =
        FindInstallationProcesses(folder, name);
    if (found.empty()) break;
    EndProcesses(found);
    ended.insert(found.begin(), found.end());
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return static_cast<int>(ended.size());
}

}  // namespace tools
