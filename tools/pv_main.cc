// pv [-f] -k [-q] <name>: ends this installation's processes of that name.
// Only the killing form of the real tool is offered.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/kill_by_name.h"

int main(int argc, char** argv) {
  tools::RecordRun(argc, argv);
  bool kill = false;
  bool quiet = false;
  std::string name;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-k") == 0) {
      kill = true;
    } else if (std::strcmp(argv[i], "-q") == 0) {
      quiet = true;
    } else if (std::strcmp(argv[i], "-f") == 0) {
      // Always forceful.
    } else if (argv[i][0] != '-' && name.empty()) {
      name = argv[i];
    } else {
      name.clear();
      break;
    }
  }
  if (!kill || name.empty()) {
    std::printf("usage: pv [-f] -k [-q] <process name>\n");
    return 2;
  }
  std::string folder = tools::InstallFolderOf(tools::OwnProgramPath());
  int ended = tools::EndInstallationProcesses(folder, name);
  if (!quiet) std::printf("%d process(es) ended.\n", ended);
  return ended > 0 ? 0 : 1;
}
