// The time the main window's start sequence (Cbrix7Dlg::OnInitDialog, the
// automatic start included) takes beyond its fixed pauses, with the Linux
// Env for real in all it does itself: the install folder's files and
// profile strings in a temporary folder, the port owners from /proc, the
// local address, the console's tray and menus, the monitor thread's
// start.  Every file is replaced as the product replaces it, through a
// temporary file, fsync and rename; the time spent so is counted apart
// (replacing_ms).  Left out, counted instead, and answered at once:
//   - the pauses of the user-interface thread (their sum is the fixed
//     part; the monitor thread's first pause is real, and is cut short by
//     the stop after each pass);
//   - every program start (netsh, upnpc, pv, pskill, httpd): these are
//     other programs' time, and some of them would call out;
//   - the HTTP lookup of the public address (answered 58.1.2.3) and the
//     browser's start; ending a port's owner.
//   start_sequence_bench [benchmark flags]
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "controller/service/web_server_control.h"
#include "controller/shell/brix7_dlg.h"
#include "platform/posix/posix_env.h"
#include "platform/shell_open.h"

namespace {

// <chrono> cannot be had here: one of its texts has no GBK form.
int64_t NowUs() {
  timespec now = {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000000 + now.tv_nsec / 1000;
}

class CountingShell : public platform::ShellOpen {
 public:
  bool ShellExecuteOpen(const std::string&) override {
    ++opened;
    return true;
  }
  int opened = 0;
};

class CountingEnv : public platform::PosixEnv {
 public:
  explicit CountingEnv(std::string module) : module_(std::move(module)) {}

  std::string ModulePath(size_t) override { return module_; }
  void Sleep(uint32_t ms) override {
    if (std::this_thread::get_id() != ui_thread_) {
      return PosixEnv::Sleep(ms);
    }
    ++pauses;
    paused_ms += ms;
  }
  unsigned WinExec(const std::string&) override {
    ++programs;
    return 33;
  }
  int System(const std::string&) override {
    ++programs;
    return 0;
  }
  int RunCommandCaptured(const std::string&, std::string* output,
                         std::string* errors, int* exit_code,
                         uint32_t*) override {
    ++programs;
    output->clear();
    errors->clear();
    *exit_code = 0;
    return 0;
  }
  platform::HttpResult HttpGet(const std::string&, const std::string&, size_t,
                               std::string* body,
                               const platform::HttpOptions&) override {
    ++fetches;
    *body = "58.1.2.3";
    return platform::HttpResult::kOk;
  }
  bool DownloadToFile(const std::string&, const std::string&, uint64_t,
                      const platform::HttpOptions&) override {
    ++fetches;
    return false;
  }
  int TerminatePortOwner(uint32_t) override { return 0; }
  // Done for real; counted and timed, for they wait for the disk (fsync).
  bool WriteWholeFile(const std::string& path,
                      const std::string& bytes) override {
    const int64_t start = NowUs();
    const bool written = PosixEnv::WriteWholeFile(path, bytes);
    write_us += NowUs() - start;
    ++writes;
    return written;
  }
  int ShowMessageBox(platform::WindowHandle, const std::string&,
                     const std::string&, uint32_t) override {
    ++boxes;
    return 1;
  }
  int ShowMessageBoxW(const std::string&, const std::string&,
                      uint32_t) override {
    ++boxes;
    return 1;
  }
  platform::ShellOpen& Shell() override { return shell; }

  CountingShell shell;
  std::atomic<int> programs{0}, fetches{0}, writes{0};
  std::atomic<int64_t> write_us{0};
  int pauses = 0, boxes = 0;
  uint64_t paused_ms = 0;

 private:
  std::string module_;
  std::thread::id ui_thread_ = std::this_thread::get_id();
};

void Write(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// An install folder as scripts/make-install lays it out, without the
// programs: the shipped templates, the pages' data folder, sablo.ini.
std::filesystem::path InstallFolder() {
  char name[] = "/tmp/start_sequence_bench.XXXXXX";
  if (mkdtemp(name) == nullptr) std::abort();
  const std::filesystem::path dir = name;
  const std::filesystem::path templates =
      std::filesystem::path(BRAMO_SOURCE_DIR) / "install" / "linux";
  Write(dir / "apache/conf/httpd.conf",
        Read(templates / "apache/conf/httpd.conf"));
  Write(dir / "php/php.ini", Read(templates / "php/php.ini"));
  Write(dir / "website/pc2/database/.keep", "");
  Write(dir / "sablo.ini",
        "[url]\r\nurl.1=http://api.ipify.org/\r\nurl.2=http://ipinfo.io/ip\r\n"
        "[mac]\r\nmac.address=00-1A-2B-3C-4D-5E\r\n[upnp]\r\n"
        "upnp.http.port=80\r\nupnp.https.port=443\r\n[pattern]\r\n"
        "pattern.type=0\r\n[brix7]\r\nbrix7.autorun=1\r\n"
        "brix7.startwithwindows=0\r\n");
  return dir;
}

void BM_StartSequence(benchmark::State& state) {
  const std::filesystem::path dir = InstallFolder();
  // Windows paths of this machine are Linux paths with backslashes.
  std::string module = (dir / "Sablo.exe").string();
  for (char& c : module) {
    if (c == '/') c = '\\';
  }
  CountingEnv env(module);
  for (auto _ : state) {
    Cbrix7Dlg dlg(&env);
    if (!dlg.Create()) state.SkipWithError("the start sequence halted");
    state.PauseTiming();
    StopMonitorThread(&dlg);
    state.ResumeTiming();
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["pauses_skipped"] = env.pauses / runs;
  state.counters["paused_ms_skipped"] = env.paused_ms / runs;
  state.counters["programs_skipped"] = env.programs / runs;
  state.counters["fetches_skipped"] = env.fetches / runs;
  state.counters["browser_opens"] = env.shell.opened / runs;
  state.counters["files_replaced"] = env.writes / runs;
  state.counters["replacing_ms"] = env.write_us / 1000.0 / runs;
  if (env.boxes != 0) state.SkipWithError("a message box was shown");
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_StartSequence)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(0.5);

}  // namespace

BENCHMARK_MAIN();
