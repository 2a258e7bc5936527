// HTTP for the programs that make no request of their own (norvik posts
// through the curl program): linked in place of http_posix.cc, so that
// they do not load libcurl at every start.  A request still made through
// it fails as one whose session could not be opened, and a download as
// one that did not arrive; nothing is written.
#include "platform/posix/posix_env.h"
#include "platform/thread_stop.h"

namespace platform {

HttpResult PosixEnv::HttpGet(const std::string&, const std::string&, size_t,
                             std::string* body, const HttpOptions& options) {
  StopPoint();
  body->clear();
  if (options.status != nullptr) *options.status = 0;
  return HttpResult::kSessionFailed;
}

bool PosixEnv::DownloadToFile(const std::string&, const std::string&, uint64_t,
                              const HttpOptions&) {
  StopPoint();
  return false;
}

}  // namespace platform
