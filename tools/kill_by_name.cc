#include "tools/kill_by_name.h"

#include <filesystem>
#include <set>
#include <thread>

#include "tools/text_case.h"

namespace tools {
namespace fs = std::filesystem;

bool NameMatches(const std::string& base, const std::string& name) {
  return SameIgnoringCase(base, name) || SameIgnoringCase(base, name + ".exe");
}

std::string InstallFolderOf(const std::string& tool_path) {
  const std::string separator(1,
                              static_cast<char>(fs::path::preferred_separator));
  std::error_code ec;
  fs::path tool = fs::weakly_canonical(tool_path, ec);
  if (ec) tool = tool_path;
  fs::path dir = tool.parent_path();
  for (fs::path at = dir; !at.empty(); at = at.parent_path()) {
    if (fs::exists(at / "Sablo.exe", ec)) return at.string() + separator;
    if (at == at.root_path()) break;
  }
  return dir.string() + separator;
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
