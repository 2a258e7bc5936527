// A GET over a plain socket for the one kind of call the monitor makes
// every minute: http:// to a dotted IPv4 address, no proxy in the
// environment.  libcurl costs several times the connection itself in such
// a call; this path costs about what the connection does.
#ifndef BRAMO_PLATFORM_POSIX_PLAIN_HTTP_GET_H_
#define BRAMO_PLATFORM_POSIX_PLAIN_HTTP_GET_H_

#include <cstddef>
#include <optional>
#include <string>

#include "platform/http.h"

namespace platform {

// Does HttpGet's work for `url` when it is http://<a.b.c.d>[:port][/...]
// and the environment names no proxy for it; nullopt, before anything is
// sent, for every other URL.  Also nullopt when the answer is one it
// leaves to the full client: a redirect, an informational status, a
// content or transfer coding other than chunked, a header it cannot read.
// A GET asks for nothing to change, so the full client may ask again.
// `cancel` may be null.  On a result *body and *status are as HttpGet
// leaves them (*status 0 when no status line came); `max_bytes` > 0.
std::optional<HttpResult> PlainHttpGet(const std::string& url,
                                       const std::string& agent,
                                       size_t max_bytes, uint32_t timeout_ms,
                                       HttpCancel* cancel, std::string* body,
                                       int* status);

}  // namespace platform

#endif  // BRAMO_PLATFORM_POSIX_PLAIN_HTTP_GET_H_
