// netsh advfirewall firewall add|delete rule ...: the firewall rules the
// Windows build would set, kept in firewall_rules.txt of the install folder.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/firewall_rules.h"
#include "tools/kill_by_name.h"

int main(int argc, char** argv) {
  tools::RecordRun(argc, argv);
  std::vector<std::string> words(argv + 1, argv + argc);
  const std::string rules =
      tools::InstallFolderOf(tools::OwnProgramPath()) + "firewall_rules.txt";
  tools::NetshOutcome outcome = tools::RunNetsh(words, rules);
  std::fputs(outcome.message.c_str(), outcome.exit_code == 0 ? stdout : stderr);
  return outcome.exit_code;
}
