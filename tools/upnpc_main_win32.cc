// upnpc.exe for an install folder under Wine: the router client that
// never touches the network.  The system uses "-a <address> <port>
// <external port> tcp" and "-d <external port> tcp"; this one appends its
// arguments, blank-separated, as one line to upnpc_calls.txt beside it, so
// that a run shows what the controller asked of the router.  Its answer
// is scripted by the test: for a command "-X" (the first argument; "-s"
// status, "-l" list, "-a" add) a file upnpc_X.txt beside it, when there is
// one, is written to standard output as it stands, with status 0 (a real
// router's answers, taken from upnpc runs); otherwise it answers as upnpc
// does when it finds no router: the message on standard error and status
// 1.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/kill_by_name.h"

namespace {

std::string Beside(const std::string& name) {
  std::string self = tools::OwnProgramPath();
  return self.substr(0, self.find_last_of("\\/") + 1) + name;
}

std::string CallsFile() { return Beside("upnpc_calls.txt"); }

// Writes the scripted answer to the command `argument` ("-s", ...); false
// when the test wrote none.
bool Answer(const std::string& argument) {
  if (argument.size() != 2 || argument[0] != '-') return false;
  std::FILE* in = std::fopen(
      Beside(std::string("upnpc_") + argument[1] + ".txt").c_str(), "rb");
  if (in == nullptr) return false;
  _setmode(_fileno(stdout), _O_BINARY);  // the bytes as the test wrote them
  char chunk[4096];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
    std::fwrite(chunk, 1, got, stdout);
  }
  std::fclose(in);
  return true;
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
  if (argc > 1 && Answer(argv[1])) return 0;
  std::fputs("No IGD UPnP Device found on the network !\n", stderr);
  return 1;
}
