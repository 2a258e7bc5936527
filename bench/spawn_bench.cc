// What one detached program start (WinExec on Linux: SpawnDetached) costs
// the controller, from a process of the controller's size (12 MB of
// memory in use), against the floor of a start: posix_spawn of the same
// program, waited for.  The program is /bin/true, so the start is all
// there is.  own_cpu_us: the caller's own CPU per start.
//   spawn_bench [benchmark flags]
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/posix/spawn.h"

extern char** environ;

namespace {

constexpr size_t kControllerBytes = 12u << 20;

double OwnCpuUs() {
  rusage usage = {};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) *
             1e6 +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

void CountOwnCpu(benchmark::State& state, double before) {
  state.counters["own_cpu_us"] = benchmark::Counter(
      OwnCpuUs() - before, benchmark::Counter::kAvgIterations);
}

void BM_SpawnDetached(benchmark::State& state) {
  const double before = OwnCpuUs();
  for (auto _ : state) {
    if (platform::SpawnDetached("/bin/true", {"true"}) != 0) {
      state.SkipWithError("the start failed");
      return;
    }
  }
  CountOwnCpu(state, before);
}
BENCHMARK(BM_SpawnDetached)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_PosixSpawnWaited(benchmark::State& state) {
  char name[] = "true";
  char* argv[] = {name, nullptr};
  const double before = OwnCpuUs();
  for (auto _ : state) {
    pid_t child = 0;
    if (posix_spawn(&child, "/bin/true", nullptr, nullptr, argv, environ) !=
        0) {
      state.SkipWithError("the start failed");
      return;
    }
    waitpid(child, nullptr, 0);
  }
  CountOwnCpu(state, before);
}
BENCHMARK(BM_PosixSpawnWaited)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // The controller's memory in use, which a fork copies the tables of.
  std::vector<char> controller(kControllerBytes);
  std::memset(controller.data(), 1, controller.size());
  benchmark::DoNotOptimize(controller.data());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
