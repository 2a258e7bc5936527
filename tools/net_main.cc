// net stop w3svc: the system stops the Windows web service that could hold
// port 80 before it starts its own web server.  An install folder of ours
// (on Linux, or under Wine) has no such service, so the stop has nothing
// to do.  Any other net command is not offered.
#include <cstdio>

#include "tools/kill_by_name.h"
#include "tools/text_case.h"

int main(int argc, char** argv) {
  tools::RecordRun(argc, argv);
  if (argc == 3 && tools::SameIgnoringCase(argv[1], "stop") &&
      tools::SameIgnoringCase(argv[2], "w3svc")) {
    return 0;
  }
  std::fprintf(stderr, "net: only \"net stop w3svc\" is offered here.\n");
  return 1;
}
