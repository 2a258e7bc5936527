// How long the port-owner lookup takes with many sockets open, beside the
// time `ss -tanp` takes to give the same answer.  Run by hand:
//   build/linux/bench/find_port_owner_bench
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/posix/posix_env.h"

namespace {

constexpr int kSockets = 5000;

// Listeners on loopback, opened once for all benchmarks.
struct Listeners {
  std::vector<int> fds;
  int last_port = 0;
  Listeners() {
    for (int i = 0; i < kSockets; ++i) {
      int fd = socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in addr = {};
      addr.sin_family = AF_INET;
      addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      if (fd < 0 ||
          bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
          listen(fd, 1) != 0) {
        std::abort();
      }
      socklen_t len = sizeof addr;
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
      last_port = ntohs(addr.sin_port);
      fds.push_back(fd);
    }
  }
};

Listeners& Open() {
  static Listeners listeners;
  return listeners;
}

void BM_FindPortOwner(benchmark::State& state) {
  int port = Open().last_port;
  platform::PosixEnv env;
  for (auto _ : state) {
    uint32_t pid = 0;
    env.FindPortOwner(port, &pid);
    if (pid != static_cast<uint32_t>(getpid())) {
      state.SkipWithError("wrong owner");
      break;
    }
  }
}
BENCHMARK(BM_FindPortOwner)->Unit(benchmark::kMillisecond);

void BM_SsTanp(benchmark::State& state) {
  std::string filter = "sport = :" + std::to_string(Open().last_port);
  for (auto _ : state) {
    pid_t child = fork();
    if (child == 0) {
      int devnull = open("/dev/null", O_WRONLY);
      dup2(devnull, 1);
      execlp("ss", "ss", "-tanp", filter.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("ss failed");
      break;
    }
  }
}
BENCHMARK(BM_SsTanp)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
