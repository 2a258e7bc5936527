// The request through WinINet.  Its time-outs bound each step, not the
// whole request, so the request runs on a thread of its own and is given
// up when the whole time has passed; the process ends right after.
#include <windows.h>
#include <wininet.h>

#include "tools/fetch_once.h"

namespace tools {
namespace {

struct Request {
  std::string url;
  DWORD connect_ms = 0;
  DWORD step_ms = 0;
  bool answered = false;
  DWORD error = 0;
};

DWORD WINAPI Fetch(void* param) {
  Request* r = static_cast<Request*>(param);
  HINTERNET net =
      InternetOpenA("pulvo", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (net == nullptr) {
    r->error = GetLastError();
    return 0;
  }
  InternetSetOptionA(net, INTERNET_OPTION_CONNECT_TIMEOUT, &r->connect_ms,
                     sizeof r->connect_ms);
  InternetSetOptionA(net, INTERNET_OPTION_SEND_TIMEOUT, &r->step_ms,
                     sizeof r->step_ms);
  InternetSetOptionA(net, INTERNET_OPTION_RECEIVE_TIMEOUT, &r->step_ms,
                     sizeof r->step_ms);
  HINTERNET page =
      InternetOpenUrlA(net, r->url.c_str(), nullptr, 0,
                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
  if (page == nullptr) {
    r->error = GetLastError();
  } else {
    char chunk[4096];
    DWORD got = 0;
    while (InternetReadFile(page, chunk, sizeof chunk, &got) && got > 0) {
    }
    r->answered = true;
    InternetCloseHandle(page);
  }
  InternetCloseHandle(net);
  return 0;
}

}  // namespace

bool FetchOnce(const std::string& url, long connect_ms, long total_ms,
               std::string* error) {
  // Left to the thread when it is given up: the process ends soon after.
  Request* r = new Request;
  r->url = url;
  r->connect_ms = static_cast<DWORD>(connect_ms);
  r->step_ms = static_cast<DWORD>(total_ms);
  HANDLE thread = CreateThread(nullptr, 0, Fetch, r, 0, nullptr);
  if (thread == nullptr) {
    *error = "cannot start the request";
    return false;
  }
  if (WaitForSingleObject(thread, static_cast<DWORD>(total_ms)) !=
      WAIT_OBJECT_0) {
    *error = "no answer within " + std::to_string(total_ms) + " ms";
    return false;
  }
  CloseHandle(thread);
  const bool answered = r->answered;
  if (!answered) *error = "request failed (" + std::to_string(r->error) + ")";
  delete r;
  return answered;
}

}  // namespace tools
