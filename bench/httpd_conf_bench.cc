// The httpd.conf rewrite of a generated 10 MB configuration beside a plain
// copy of the same file through the same reads and writes (the Linux
// Env's ReadWholeFile and WriteWholeFile, with its fsync; and once more
// with a plain write and no fsync, where only the processor's work
// differs).  Two files: one with CR LF line ends, as every rewrite after
// the first finds it, and one with LF alone, as the Linux template ships.
//   httpd_conf_bench [benchmark flags]   the timings
//   httpd_conf_bench --check             the rewrite against the first
//                                        version (bench/httpd_conf_
//                                        reference.h), byte for byte, on
//                                        generated inputs; exit 1 on a
//                                        difference
//   httpd_conf_bench --make-conf <file>  writes the CR LF file there
//   httpd_conf_bench --rss <file>        one rewrite of that file in this
//                                        fresh process: prints the file
//                                        size and the peak resident size
//                                        (VmHWM) before and after
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/httpd_conf_reference.h"
#include "controller/config/httpd_conf.h"
#include "platform/posix/posix_env.h"

namespace {

constexpr size_t kFileSize = 10u << 20;
constexpr size_t kReadLimit = 64u << 20;
const char kFolder[] = "D:\\Web Stack\\\x95\\\x81\x41\\";

// What a configuration holds: mostly comments and directives no rule
// touches, GBK comments, Windows paths, and now and then a line a rule
// rewrites (or one that looks like it but is not).
const std::vector<std::string> kOrdinary = {
    "# This is the main Apache HTTP server configuration file.  It contains "
    "the",
    "# configuration directives that give the server its instructions.",
    "#",
    "LoadModule rewrite_module modules/mod_rewrite.so",
    "LoadModule php5_module \"D:/Web Stack/php/php5apache2_2.dll\"",
    "<Directory \"D:\\Web Stack\\website\">",
    "    Options Indexes FollowSymLinks",
    "    AllowOverride All",
    "    Order allow,deny",
    "</Directory>",
    "ErrorLog \"logs/error.log\"",
    "LogFormat \"%h %l %u %t \\\"%r\\\" %>s %b\" common",
    "# \xb8\xf6\xc8\xcb\xd4\xc6\xb7\xfe\xce\xf1\xc6\xf7\xc5\xe4\xd6\xc3 "
    "\x95\\\x81#HTTP# (GBK)",
    "    SSLCertificateFile \"conf/ssl.crt/server.crt\"",
    "#ServerRoot \"C:/old/apache\"",
    "  ServerName localhost:80",
    "",
    "\tDirectoryIndex index.php index.html",
};
const std::vector<std::string> kRecognised = {
    "ServerRoot \"C:/old/apache\"",
    "DocumentRoot \"C:/old/website/\"",
    "Listen 80  #HTTP#",
    "ServerName localhost:80",
    "Listen 443  #HTTPS#",
    "<VirtualHost _default_:443>",
    "    ServerName localhost:443",
};

std::string GeneratedConf(const char* line_end, size_t size) {
  std::mt19937 random(17);
  std::string conf;
  conf.reserve(size + 256);
  while (conf.size() < size) {
    const bool rule = random() % 200 == 0;
    const auto& lines = rule ? kRecognised : kOrdinary;
    conf += lines[random() % lines.size()];
    conf += line_end;
  }
  return conf;
}

// The bench's folder, with both source files in it.
struct Files {
  std::filesystem::path dir;
  std::string crlf, lf, out;
  Files() {
    char name[] = "/tmp/httpd_conf_bench.XXXXXX";
    if (mkdtemp(name) == nullptr) std::abort();
    dir = name;
    crlf = dir / "crlf.conf";
    lf = dir / "lf.conf";
    out = dir / "out.conf";
    platform::PosixEnv env;
    if (!env.WriteWholeFile(crlf, GeneratedConf("\r\n", kFileSize)) ||
        !env.WriteWholeFile(lf, GeneratedConf("\n", kFileSize))) {
      std::abort();
    }
  }
  ~Files() { std::filesystem::remove_all(dir); }
};

Files& TheFiles() {
  static Files files;
  return files;
}

bool PlainWrite(const std::string& path, const std::string& bytes) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return close(fd) == 0 && done == bytes.size();
}

enum Work { kCopy, kRewrite, kFirstVersion };
enum Write { kEnvWrite, kPlainWrite };

// One pass: the file read, perhaps rewritten, and written.
void Pass(platform::PosixEnv& env, const std::string& source, Work work,
          Write how, benchmark::State& state) {
  std::optional<std::string> bytes = env.ReadWholeFile(source, kReadLimit);
  if (!bytes) return state.SkipWithError("read failed");
  std::string out;
  if (work == kRewrite) {
    out = RewriteHttpdConfBytes(*bytes, kFolder, 8080, 8443);
  } else if (work == kFirstVersion) {
    out = reference::RewriteHttpdConfBytes(*bytes, kFolder, 8080, 8443);
  } else {
    out = std::move(*bytes);
  }
  const std::string& target = TheFiles().out;
  if (!(how == kEnvWrite ? env.WriteWholeFile(target, out)
                         : PlainWrite(target, out))) {
    state.SkipWithError("write failed");
  }
}

void BM_Httpd(benchmark::State& state, bool crlf, Work work, Write how) {
  platform::PosixEnv env;
  const std::string& source = crlf ? TheFiles().crlf : TheFiles().lf;
  for (auto _ : state) Pass(env, source, work, how, state);
  state.SetBytesProcessed(state.iterations() * kFileSize);
}

#define HTTPD_BENCH(name, ...)                   \
  BENCHMARK_CAPTURE(BM_Httpd, name, __VA_ARGS__) \
      ->Unit(benchmark::kMillisecond)            \
      ->UseRealTime()                            \
      ->MinTime(0.5)
HTTPD_BENCH(copy_crlf, true, kCopy, kEnvWrite);
HTTPD_BENCH(rewrite_crlf, true, kRewrite, kEnvWrite);
HTTPD_BENCH(copy_lf, false, kCopy, kEnvWrite);
HTTPD_BENCH(rewrite_lf, false, kRewrite, kEnvWrite);
HTTPD_BENCH(copy_crlf_nosync, true, kCopy, kPlainWrite);
HTTPD_BENCH(rewrite_crlf_nosync, true, kRewrite, kPlainWrite);
HTTPD_BENCH(copy_lf_nosync, false, kCopy, kPlainWrite);
HTTPD_BENCH(rewrite_lf_nosync, false, kRewrite, kPlainWrite);
HTTPD_BENCH(first_version_crlf_nosync, true, kFirstVersion, kPlainWrite);

// The processor's part alone: the bytes in memory, rewritten.
void BM_RewriteInMemory(benchmark::State& state, bool crlf) {
  platform::PosixEnv env;
  const std::string bytes =
      *env.ReadWholeFile(crlf ? TheFiles().crlf : TheFiles().lf, kReadLimit);
  for (auto _ : state) {
    std::string out = RewriteHttpdConfBytes(bytes, kFolder, 8080, 8443);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * kFileSize);
}
// The floor under it: the bytes copied into a new string of that room.
void BM_CopyInMemory(benchmark::State& state) {
  platform::PosixEnv env;
  const std::string bytes = *env.ReadWholeFile(TheFiles().crlf, kReadLimit);
  for (auto _ : state) {
    std::string out;
    out.reserve(2 * bytes.size() + 1024);
    out.append(bytes);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * kFileSize);
}
BENCHMARK(BM_CopyInMemory)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK_CAPTURE(BM_RewriteInMemory, crlf, true)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);
BENCHMARK_CAPTURE(BM_RewriteInMemory, lf, false)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

// ---- --check ---------------------------------------------------------

// A short random text from the pieces the rules care about and bytes they
// do not: lead bytes, CR, LF, Ctrl-Z, backslashes, near misses.
std::string RandomConf(std::mt19937& random) {
  static const std::vector<std::string> pieces = {
      "ServerRoot",
      "DocumentRoot",
      "#HTTP#",
      "#HTTPS#",
      "#HTTP",
      "ServerName localhost:",
      "<VirtualHost _default_:",
      "    ServerName localhost:",
      "    ",
      " ",
      "\r",
      "\n",
      "\r\n",
      "\x1A",
      "\\",
      "\x81",
      "\xFE",
      "\xFF",
      "\x95\\",
      "#",
      "S",
      "x",
      "80",
      "\"",
  };
  std::string text;
  const size_t count = random() % 40;
  for (size_t i = 0; i < count; ++i) {
    if (random() % 8 == 0) {
      text += static_cast<char>(random() % 256);
    } else {
      text += pieces[random() % pieces.size()];
    }
  }
  return text;
}

int Check() {
  std::mt19937 random(1);
  const std::vector<std::string> folders = {kFolder, "C:\\", "D:\\a\nb\\",
                                            "E:\\\x81\\\\"};
  std::vector<std::string> inputs = {GeneratedConf("\r\n", 1u << 20),
                                     GeneratedConf("\n", 1u << 20), ""};
  for (int i = 0; i < 200000; ++i) inputs.push_back(RandomConf(random));
  size_t compared = 0;
  for (const std::string& input : inputs) {
    const std::string& folder = folders[compared % folders.size()];
    const int http = static_cast<int>(random() % 70000) - 2;
    const int https = static_cast<int>(random() % 70000) - 2;
    if (RewriteHttpdConfBytes(input, folder, http, https) !=
        reference::RewriteHttpdConfBytes(input, folder, http, https)) {
      std::fprintf(stderr, "check: input %zu differs from the first version\n",
                   compared);
      return 1;
    }
    ++compared;
  }
  std::printf(
      "check: %zu inputs, every output byte for byte the first "
      "version's\n",
      compared);
  return 0;
}

// ---- --rss -----------------------------------------------------------

// The peak resident size of this program, VmHWM: unlike getrusage's
// ru_maxrss it starts again at exec, so the parent's size is not in it.
long PeakRssKb() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
  }
  std::fclose(status);
  return kb;
}

// As RewriteHttpdConf does it, on a file of any size.
int PeakRss(const std::string& path) {
  platform::PosixEnv env;
  const long before = PeakRssKb();
  std::optional<std::string> bytes = env.ReadWholeFile(path, kReadLimit);
  if (!bytes) return 1;
  const std::string out = RewriteHttpdConfBytes(*bytes, kFolder, 8080, 8443);
  if (!env.WriteWholeFile(path, out)) return 1;
  const long after = PeakRssKb();
  std::printf("file_bytes %zu peak_rss_before_kb %ld peak_rss_after_kb %ld\n",
              bytes->size(), before, after);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--check") == 0) return Check();
  if (argc == 3 && std::strcmp(argv[1], "--rss") == 0) return PeakRss(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "--make-conf") == 0) {
    return PlainWrite(argv[2], GeneratedConf("\r\n", kFileSize)) ? 0 : 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
