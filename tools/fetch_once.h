// The keep-alive client's one request, per platform.
#ifndef BRAMO_TOOLS_FETCH_ONCE_H_
#define BRAMO_TOOLS_FETCH_ONCE_H_

#include <string>

namespace tools {

// One GET of `url`, the answer read and thrown away.  The connection may
// take `connect_ms`, the whole request `total_ms` at most.  True when an
// answer came (of any status); otherwise `error` says why.
bool FetchOnce(const std::string& url, long connect_ms, long total_ms,
               std::string* error);

}  // namespace tools

#endif  // BRAMO_TOOLS_FETCH_ONCE_H_
