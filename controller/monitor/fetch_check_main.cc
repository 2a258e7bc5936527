// A command-line front end to the controller's fetch, so that a test can
// drive the real platform HTTP client of either build (natively or under
// Wine) against servers it runs itself:
//   fetch_check text <url> [timeout_ms]    FetchUrlText
//   fetch_check ip <url> [timeout_ms]      FetchExternalIp
//   fetch_check cancel <url> <after_ms>    FetchUrlText, cancelled from
//                                          another thread after <after_ms>
//   fetch_check cancel-returns <url> <after_ms>
//                                          the same, but only the Cancel
//                                          call itself is timed, and the
//                                          program ends without waiting
//                                          for the fetch
// Prints "result=<code> size=<bytes> ms=<milliseconds>", a line end, then
// the text as it came.  For cancel, ms counts from the cancel to the end
// of the call.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "controller/monitor/http_fetch.h"
#include "platform/env.h"

namespace {

double NowMs() {
  using std::chrono::steady_clock;
  return std::chrono::duration<double, std::milli>(
             steady_clock::now().time_since_epoch())
      .count();
}

int Usage() {
  std::fprintf(stderr, "usage: fetch_check text|ip|cancel <url> [ms]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string mode = argv[1];
  const char* url = argv[2];
  const unsigned ms = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 0;
  std::unique_ptr<platform::Env> env(platform::NewPlatformEnv());
  platform::HttpCancel cancel;
  platform::HttpOptions options;
  std::string text;
  int result = -1;
  double took = 0;
  if (mode == "text" || mode == "ip") {
    options.timeout_ms = ms;
    const double start = NowMs();
    result = mode == "text" ? FetchUrlText(*env, url, text, options)
                            : FetchExternalIp(*env, url, text, options);
    took = NowMs() - start;
  } else if (mode == "cancel") {
    options.cancel = &cancel;
    double done = 0;
    std::thread fetch([&] {
      result = FetchUrlText(*env, url, text, options);
      done = NowMs();
    });
    env->Sleep(ms);
    const double cancelled = NowMs();
    cancel.Cancel();
    fetch.join();
    took = done - cancelled;
  } else if (mode == "cancel-returns") {
    // Where the platform cannot end the call (Wine's WinINet), the cancel
    // must still not wait for it.
    options.cancel = &cancel;
    std::thread fetch([&] { FetchUrlText(*env, url, text, options); });
    fetch.detach();
    env->Sleep(ms);
    const double start = NowMs();
    cancel.Cancel();
    std::printf("result=-1 size=0 ms=%.0f\n", NowMs() - start);
    std::fflush(stdout);
    std::_Exit(0);
  } else {
    return Usage();
  }
  std::printf("result=%d size=%zu ms=%.0f\n", result, text.size(), took);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}
