// HTTP GETs and downloads, and the token that cancels one under way.
// One concern of the platform seam; Env (platform/env.h) joins them all.
#ifndef BRAMO_PLATFORM_HTTP_H_
#define BRAMO_PLATFORM_HTTP_H_

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace platform {

// Lets another thread end an HTTP call, or a pause, that is under way.
// The platform layer hangs a hook on it for the length of a call; Cancel
// runs it.  A worker thread's stop token is one of these (see
// platform/thread_stop.h).
class HttpCancel {
 public:
  // Safe from any thread; the call under way (or the next one) fails, and
  // a WaitFor under way returns at once.
  void Cancel();
  bool cancelled() const;
  // For the platform layer: `hook` runs on Cancel, or at once when the
  // token is cancelled already, until ClearHook.  ClearHook waits for a
  // hook under way on another thread, so no hook runs after it returned
  // and the hook may use what the call owns.  A hook must not call back
  // into its token.
  void SetHook(const std::function<void()>& hook);
  void ClearHook();
  // Waits `ms` milliseconds of real time.  False as soon as the token is
  // cancelled (at once when it already is); true when the time ran out.
  bool WaitFor(uint32_t ms);

 private:
  mutable std::mutex mu_;
  std::condition_variable changed_;
  bool cancelled_ = false;
  int hooks_running_ = 0;
  std::function<void()> hook_;
};

// How an HTTP call went, in the steps WinINet takes.
enum class HttpResult {
  kOk = 0,
  kSessionFailed,  // no Internet session (InternetOpenA)
  kUrlFailed,      // no answer: name, connection, refusal, time-out
  kReadFailed,     // the answer broke off while its body was read
};

struct HttpOptions {
  HttpCancel* cancel = nullptr;
  // Connect and receive time-outs; 0 keeps the platform's defaults (about
  // a minute each), as the system itself always does.  Tests set them
  // short.
  uint32_t timeout_ms = 0;
  // When set, HttpGet stores here the HTTP status of the answer (200, 404,
  // ...), or 0 when no status line came (no answer, or not HTTP).
  int* status = nullptr;
};

class Http {
 public:
  virtual ~Http() = default;

  // ---- HTTP ----------------------------------------------------------

  // GET `url` with user agent `agent`: redirects followed, compressed and
  // chunked bodies decoded, the proxy the system is set up with, nothing
  // cached.  *body gets at most `max_bytes` bytes of the body, whatever the
  // HTTP status (an error page is a body too: callers that must not take
  // one ask for the status through `options.status`); reading stops
  // there.  On any failure *body is empty.
  virtual HttpResult HttpGet(const std::string& url, const std::string& agent,
                             size_t max_bytes, std::string* body,
                             const HttpOptions& options) = 0;

  // Downloads `url` into the file `path`.  True only when the server
  // answered with a 2xx status and the whole body, of at most `max_bytes`
  // bytes, was stored; otherwise false, and no file of a failed download
  // is left at `path` (a longer body is given up as soon as it is longer,
  // so an endless answer cannot fill the disk).  A stored file can be run
  // as a program, as any file can on Windows: the posix layer creates it
  // with mode 0755 (less the umask).
  virtual bool DownloadToFile(const std::string& url, const std::string& path,
                              uint64_t max_bytes,
                              const HttpOptions& options) = 0;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_HTTP_H_
