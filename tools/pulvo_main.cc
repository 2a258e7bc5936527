// pulvo.exe <URL>: the keep-alive client.  One GET of the URL with a short
// time-out, the answer thrown away; then it ends by itself, so the
// monitor's start of it every minute never piles up processes.
#include <cstdio>
#include <string>

#include "tools/fetch_once.h"
#include "tools/kill_by_name.h"

namespace {

constexpr long kConnectTimeoutMs = 3000;
constexpr long kTotalTimeoutMs = 5000;

}  // namespace

int main(int argc, char** argv) {
  tools::RecordRun(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: pulvo <URL>\n");
    return 2;
  }
  std::string error;
  if (!tools::FetchOnce(argv[1], kConnectTimeoutMs, kTotalTimeoutMs, &error)) {
    std::fprintf(stderr, "pulvo: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
