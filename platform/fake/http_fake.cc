#include <fstream>

#include "platform/common/native_path.h"
#include "platform/fake/fake_env.h"
#include "platform/thread_stop.h"

namespace platform {

HttpResult FakeEnv::HttpGet(const std::string& url, const std::string& agent,
                            size_t max_bytes, std::string* body,
                            const HttpOptions& options) {
  StopPoint();
  Record("http get " + url + " agent=" + agent);
  body->clear();
  if (options.status != nullptr) *options.status = 0;
  if (http_session_fails) return HttpResult::kSessionFailed;
  if (options.cancel != nullptr && options.cancel->cancelled()) {
    return HttpResult::kUrlFailed;
  }
  auto it = http_answers.find(url);
  if (it == http_answers.end()) return HttpResult::kUrlFailed;
  if (it->second.hangs) {
    if (options.cancel != nullptr) options.cancel->WaitFor(kHeldMs);
    return HttpResult::kUrlFailed;
  }
  if (it->second.result != HttpResult::kOk) return it->second.result;
  if (options.status != nullptr) *options.status = it->second.status;
  *body = it->second.body.substr(0, max_bytes);
  return HttpResult::kOk;
}

bool FakeEnv::DownloadToFile(const std::string& url, const std::string& path,
                             uint64_t max_bytes, const HttpOptions&) {
  StopPoint();
  {
    std::lock_guard<std::mutex> lock(mu_);
    last_download_limit = max_bytes;
  }
  auto it = http_answers.find(url);
  bool ok = it != http_answers.end() && it->second.result == HttpResult::kOk &&
            it->second.status / 100 == 2 && it->second.body.size() <= max_bytes;
  if (ok) {
    std::ofstream out(ToNativePath(path), std::ios::binary | std::ios::trunc);
    out << it->second.body;
    ok = static_cast<bool>(out);
  }
  Record("download " + url + " -> " + path + (ok ? "" : " (failed)"));
  return ok;
}

}  // namespace platform
