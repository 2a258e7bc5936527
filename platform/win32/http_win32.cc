// HTTP on Windows through WinINet.  A cancel from another thread closes
// the Internet handle, which makes the blocking call under way fail.
#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <mutex>

#include "platform/thread_stop.h"
#include "platform/win32/win32_env.h"

namespace platform {
namespace {

// The handles of one call.  A cancel closes them from another thread,
// which makes the blocking call under way (InternetOpenUrlA or
// InternetReadFile) fail at once.  No lock is held across those calls, so
// the cancel never waits for them; the lock only guards the handle
// values and the `aborted_` mark, and every handle is closed exactly once.
class Session {
 public:
  Session(const std::string& agent, const HttpOptions& options)
      : options_(options) {
    internet_ = InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG,
                              nullptr, nullptr, 0);
    if (internet_ != nullptr && options.timeout_ms != 0) {
      DWORD ms = options.timeout_ms;
      InternetSetOptionA(internet_, INTERNET_OPTION_CONNECT_TIMEOUT, &ms,
                         sizeof ms);
      InternetSetOptionA(internet_, INTERNET_OPTION_RECEIVE_TIMEOUT, &ms,
                         sizeof ms);
    }
    if (internet_ != nullptr && options.cancel != nullptr) {
      options.cancel->SetHook([this] { Abort(); });
    }
  }
  ~Session() {
    // After ClearHook no cancel can reach this object any more.
    if (options_.cancel != nullptr) options_.cancel->ClearHook();
    Abort();
  }
  bool ok() const { return internet_ != nullptr; }
  bool aborted() {
    std::lock_guard<std::mutex> lock(mu_);
    return aborted_;
  }
  HINTERNET OpenUrl(const std::string& url) {
    HINTERNET root;
    {
      std::lock_guard<std::mutex> lock(mu_);
      if (aborted_) return nullptr;
      root = internet_;
    }
    HINTERNET page = InternetOpenUrlA(root, url.c_str(), nullptr, 0,
                                      INTERNET_FLAG_NO_CACHE_WRITE, 0);
    std::lock_guard<std::mutex> lock(mu_);
    if (aborted_) {
      // Cancelled meanwhile: the root is closed; this child goes too.
      if (page != nullptr) InternetCloseHandle(page);
      return nullptr;
    }
    url_ = page;
    return page;
  }

 private:
  void Abort() {
    std::lock_guard<std::mutex> lock(mu_);
    if (aborted_) return;
    aborted_ = true;
    if (url_ != nullptr) InternetCloseHandle(url_);
    if (internet_ != nullptr) InternetCloseHandle(internet_);
    url_ = nullptr;
  }
  HttpOptions options_;
  std::mutex mu_;
  bool aborted_ = false;
  HINTERNET internet_ = nullptr;
  HINTERNET url_ = nullptr;
};

// WinINet (Wine's at least) ends a body whose connection closes before the
// announced Content-Length as if it were whole: the length is checked
// here.  True when the body must be longer than `have` bytes.
bool CutShort(HINTERNET page, uint64_t have) {
  char text[32] = {};
  DWORD size = sizeof text - 1;
  if (!HttpQueryInfoA(page, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) {
    return false;  // not announced: the close ends the body
  }
  return std::strtoull(text, nullptr, 10) > have;
}

// The answer's HTTP status; 0 when there is none (not HTTP).
DWORD Status(HINTERNET page) {
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!HttpQueryInfoA(page, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                      &status, &size, nullptr)) {
    return 0;
  }
  return status;
}

}  // namespace

HttpResult Win32Env::HttpGet(const std::string& url, const std::string& agent,
                             size_t max_bytes, std::string* body,
                             const HttpOptions& options) {
  StopPoint();
  body->clear();
  if (options.status != nullptr) *options.status = 0;
  Session session(agent, options);
  if (!session.ok()) return HttpResult::kSessionFailed;
  HINTERNET page = session.OpenUrl(url);
  if (page == nullptr) return HttpResult::kUrlFailed;
  if (options.status != nullptr)
    *options.status = static_cast<int>(Status(page));
  std::string gathered(max_bytes, '\0');
  size_t have = 0;
  while (have < max_bytes) {
    // A cancelled session's handles are closed: never read from them.
    if (session.aborted()) return HttpResult::kReadFailed;
    DWORD got = 0;
    if (!InternetReadFile(page, &gathered[have],
                          static_cast<DWORD>(max_bytes - have), &got)) {
      return HttpResult::kReadFailed;
    }
    if (got == 0) {
      if (CutShort(page, have)) return HttpResult::kReadFailed;
      break;
    }
    have += got;
  }
  gathered.resize(have);
  *body = gathered;
  return HttpResult::kOk;
}

// URLDownloadToFileA stores an error page as if it were the file and
// reports success, so the download goes through WinINet, where the status
// can be seen.
bool Win32Env::DownloadToFile(const std::string& url, const std::string& path,
                              uint64_t max_bytes, const HttpOptions& options) {
  StopPoint();
  Session session("", options);
  if (!session.ok()) return false;
  HINTERNET page = session.OpenUrl(url);
  if (page == nullptr) return false;
  if (Status(page) / 100 != 2) return false;
  const std::string temp = path + ".download";
  HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  uint64_t stored = 0;
  char buf[8192];
  while (ok) {
    DWORD got = 0, written = 0;
    if (session.aborted()) ok = false;
    if (!ok) break;
    if (!InternetReadFile(page, buf, sizeof buf, &got)) ok = false;
    if (!ok) break;
    if (got == 0) {
      ok = !CutShort(page, stored);
      break;
    }
    stored += got;
    ok = stored <= max_bytes && WriteFile(file, buf, got, &written, nullptr) &&
         written == got;
  }
  ok = CloseHandle(file) && ok;
  if (ok &&
      MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return true;
  }
  DeleteFileA(temp.c_str());
  return false;
}

}  // namespace platform
