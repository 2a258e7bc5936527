// pskill <name>: ends this installation's processes of that name.
#include <cstdio>
#include <string>

#include "tools/kill_by_name.h"

int main(int argc, char** argv) {
  tools::RecordRun(argc, argv);
  if (argc != 2) {
    std::printf("usage: pskill <process name>\n");
    return 2;
  }
  std::string folder = tools::InstallFolderOf(tools::OwnProgramPath());
  int ended = tools::EndInstallationProcesses(folder, argv[1]);
  if (ended == 0) {
    std::printf("Process does not exist.\n");
    return 1;
  }
  std::printf("Process %s killed.\n", argv[1]);
  return 0;
}
