// upnpc.exe ...: Debian's miniupnpc client run with the same arguments (the
// system uses "-a <address> <port> <external port> tcp" and
// "-d <external port> tcp").  The process becomes upnpc itself, so its
// output and exit status are the real tool's.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/kill_by_name.h"

namespace {
constexpr const char* kUpnpc = "/usr/bin/upnpc";
}  // namespace

int main(int argc, char** argv) {
  tools::RecordRun(argc, argv);
  std::vector<char*> args(argv, argv + argc);
  args[0] = const_cast<char*>("upnpc");
  args.push_back(nullptr);
  execv(kUpnpc, args.data());
  std::fprintf(stderr, "upnpc.exe: cannot run %s: %s\n", kUpnpc,
               std::strerror(errno));
  return 127;
}
