// upnpc.exe for an install folder under Wine: the router client that
// never touches the network.  The system uses "-a <address> <port>
// <external port> tcp" and "-d <external port> tcp"; this one appends its
// arguments, blank-separated, as one line to upnpc_calls.txt beside it, so
// that a run shows what the controller asked of the router, and then
// answers as upnpc does when it finds no router: the message on standard
// error and status 1.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/kill_by_name.h"

namespace {

std::string CallsFile() {
  std::string self = tools::OwnProgramPath();
  return self.substr(0, self.find_last_of("\\/") + 1) + "upnpc_calls.txt";
}

// Append-only access puts the one write at the end, whole, also when two
// runs overlap.
void Record(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i)
    line += (i > 1 ? " " : "") + std::string(argv[i]);
  line += "\r\n";
  HANDLE file = CreateFileA(CallsFile().c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written,
            nullptr);
  CloseHandle(file);
}

}  // namespace

int main(int argc, char** argv) {
  tools::RecordRun(argc, argv);
  Record(argc, argv);
  std::fputs("No IGD UPnP Device found on the network !\n", stderr);
  return 1;
}
