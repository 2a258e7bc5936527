#include "tools/kill_by_name.h"

#include <filesystem>

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

}  // namespace tools
