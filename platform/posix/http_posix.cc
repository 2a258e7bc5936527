// HTTP on Linux through libcurl, set up to behave like WinINet's
// defaults: redirects followed, bodies decoded, the proxy from the
// environment, a connect and a receive time-out of about a minute.  The
// transfer runs on the multi interface so that a cancel from another
// thread ends it within a poll interval.  A GET that needs none of that
// (plain_http_get.h) is made without libcurl.
#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <thread>

#include "platform/common/native_path.h"
#include "platform/posix/linux_name.h"
#include "platform/posix/plain_http_get.h"
#include "platform/posix/posix_env.h"
#include "platform/thread_stop.h"

namespace platform {
namespace {

constexpr uint32_t kDefaultTimeoutMs = 60000;
constexpr int kPollMs = 20;

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
  size_t max_bytes = 0;
  std::string body;
  FILE* file = nullptr;  // downloads go here instead
  uint64_t file_limit = 0;
  uint64_t file_bytes = 0;
  bool headers_seen = false;
  bool full = false;  // the byte limit was reached: we stopped it
  bool file_failed = false;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  size_t n = size * count;
  t->headers_seen = true;
  if (t->file != nullptr) {
    t->file_bytes += n;
    if (t->file_bytes > t->file_limit ||
        std::fwrite(data, 1, n, t->file) != n) {
      t->file_failed = true;
      return 0;
    }
    return n;
  }
  size_t room = t->max_bytes - t->body.size();
  t->body.append(data, n < room ? n : room);
  if (t->body.size() >= t->max_bytes) {
    t->full = true;
    return 0;  // enough: libcurl ends the transfer
  }
  return n;
}

size_t OnHeader(char*, size_t size, size_t count, void* user) {
  static_cast<Transfer*>(user)->headers_seen = true;
  return size * count;
}

// Each thread keeps its multi handle: a new one costs a socket pair (its
// wake-up channel) and its set-up on every call.  It keeps no connection
// and no name lookup between calls (NewEasy forbids both), so each call
// still connects afresh.
class ThreadMulti {
 public:
  ~ThreadMulti() {
    if (multi_ != nullptr) curl_multi_cleanup(multi_);
  }
  CURLM* Get() {
    if (multi_ == nullptr) multi_ = curl_multi_init();
    return multi_;
  }

 private:
  CURLM* multi_ = nullptr;
};

// Runs one transfer to its end.  Returns the libcurl result, or
// CURLE_ABORTED_BY_CALLBACK when cancelled or idle for too long.
CURLcode Run(CURL* easy, const HttpOptions& options) {
  thread_local ThreadMulti own;
  CURLM* multi = own.Get();
  if (multi == nullptr) return CURLE_OUT_OF_MEMORY;
  curl_multi_add_handle(multi, easy);
  // ClearHook below waits for a wakeup under way, so the hook never
  // meets a handle that is being cleaned up.
  if (options.cancel != nullptr) {
    options.cancel->SetHook([multi] { curl_multi_wakeup(multi); });
  }
  CURLcode result = CURLE_OK;
  int running = 1;
  while (running > 0) {
    if (options.cancel != nullptr && options.cancel->cancelled()) {
      result = CURLE_ABORTED_BY_CALLBACK;
      break;
    }
    if (curl_multi_perform(multi, &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    if (running == 0) break;
    curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
  }
  if (running == 0) {
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi, &left)) {
      if (msg->msg == CURLMSG_DONE) result = msg->data.result;
    }
  }
  if (options.cancel != nullptr) options.cancel->ClearHook();
  curl_multi_remove_handle(multi, easy);
  return result;
}

CURL* NewEasy(const std::string& url, const std::string& agent,
              const HttpOptions& options, Transfer* t) {
  GlobalInit();
  CURL* easy = curl_easy_init();
  if (easy == nullptr) return nullptr;
  long timeout = options.timeout_ms ? options.timeout_ms : kDefaultTimeoutMs;
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  if (!agent.empty()) curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str());
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  // Every call finds the server afresh, as it did with a handle of its own.
  curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(easy, CURLOPT_DNS_CACHE_TIMEOUT, 0L);
  // A cancelled call must not wait for a name lookup that never answers:
  // libcurl would otherwise join its resolver thread (until the system's
  // resolver gives up, seconds later).  The thread is left to end by
  // itself, as it does once the lookup returns.
  curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, timeout);
  // A receive time-out: less than one byte a second for that long ends it.
  long seconds = (timeout + 999) / 1000;
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, seconds);
  if (options.timeout_ms != 0) {
    // A short time-out asked for by a caller also bounds the whole call,
    // since the low-speed check counts in whole seconds.
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, 2L * timeout);
  }
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, t);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, t);
  return easy;
}

}  // namespace

HttpResult PosixEnv::HttpGet(const std::string& url, const std::string& agent,
                             size_t max_bytes, std::string* body,
                             const HttpOptions& options) {
  StopPoint();
  body->clear();
  if (options.status != nullptr) *options.status = 0;
  // Without a token of its own the call ends with its thread's stop.
  HttpOptions own = options;
  if (own.cancel == nullptr) own.cancel = CurrentThreadStop();
  if (max_bytes == 0) return HttpResult::kOk;
  {
    std::string plain_body;
    int plain_status = 0;
    if (std::optional<HttpResult> result =
            PlainHttpGet(url, agent, max_bytes, own.timeout_ms, own.cancel,
                         &plain_body, &plain_status)) {
      *body = std::move(plain_body);
      if (options.status != nullptr) *options.status = plain_status;
      return *result;
    }
  }
  Transfer t;
  t.max_bytes = max_bytes;
  CURL* easy = NewEasy(url, agent, own, &t);
  if (easy == nullptr) return HttpResult::kSessionFailed;
  CURLcode code = Run(easy, own);
  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(easy);
  if (options.status != nullptr) *options.status = static_cast<int>(status);
  if (code == CURLE_OK || (code == CURLE_WRITE_ERROR && t.full)) {
    *body = t.body;
    return HttpResult::kOk;
  }
  return t.headers_seen ? HttpResult::kReadFailed : HttpResult::kUrlFailed;
}

bool PosixEnv::DownloadToFile(const std::string& url, const std::string& path,
                              uint64_t max_bytes, const HttpOptions& options) {
  StopPoint();
  const std::string native = ToLinuxName(path);
  const std::string temp = native + ".download";
  Transfer t;
  t.file_limit = max_bytes;
  // On Windows any downloaded program can be run by its name; here it
  // needs the execute bits, given at creation (the umask still applies).
  // A leftover of an earlier attempt would keep its old mode, so it goes.
  unlink(temp.c_str());
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0755);
  if (fd < 0) return false;
  t.file = fdopen(fd, "wb");
  if (t.file == nullptr) {
    close(fd);
    std::remove(temp.c_str());
    return false;
  }
  CURL* easy = NewEasy(url, "", options, &t);
  bool ok = false;
  if (easy != nullptr) {
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);  // no error pages
    CURLcode code = Run(easy, options);
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(easy);
    ok = code == CURLE_OK && status / 100 == 2 && !t.file_failed;
  }
  ok = std::fclose(t.file) == 0 && ok;
  if (ok && std::rename(temp.c_str(), native.c_str()) == 0) return true;
  std::remove(temp.c_str());
  return false;
}

}  // namespace platform
