// net stop w3svc: the system stops the Windows web service that could hold
// port 80 before it starts its own web server.  Linux has no such service,
// so the stop has nothing to do.  Any other net command is not offered.
#include <strings.h>

#include <cstdio>

#include "tools/kill_by_name.h"

int main(int argc, char** argv) {
  tools::RecordRun(argc, argv);
  if (argc == 3 && strcasecmp(argv[1], "stop") == 0 &&
      strcasecmp(argv[2], "w3svc") == 0) {
    return 0;
  }
  std::fprintf(stderr, "net: only \"net stop w3svc\" is offered here.\n");
  return 1;
}
