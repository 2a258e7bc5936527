// The controller's HTTP client: two blocking GETs and the address check
// applied to what a public-address lookup service answers.
#ifndef BRAMO_CONTROLLER_MONITOR_HTTP_FETCH_H_
#define BRAMO_CONTROLLER_MONITOR_HTTP_FETCH_H_

#include <string>

#include "platform/env.h"

// User agent of every request.
inline constexpr char kFetchAgent[] = "DadoRE/1.0";
// At most this many bytes of a body are read.
inline constexpr size_t kFetchBodyBytes = 1023;

// GETs `url`; `text` is emptied first, then set to the body up to its first
// zero byte (at most 1023 bytes, nothing trimmed, the HTTP status ignored).
// 0: body received; 1: no session, or a read failed; 6: the URL could not
// be opened (no connection, name not resolved, refused, timed out).  `text`
// is empty after any failure.
int FetchUrlText(platform::Env& env, const char* url, std::string& text,
                 const platform::HttpOptions& options = {});

// The same GET; the body is kept only when IsValidIpText accepts it.
// 0: accepted address in `text`; 1: no session, URL not opened, or a read
// failed; 7: a body came but is not an address.  `text` is empty unless 0.
int FetchExternalIp(platform::Env& env, const char* url, std::string& text,
                    const platform::HttpOptions& options = {});

// A loose dotted-address check: at most 15 characters, digits and dots
// only, and none of the four fields cut at the first three dots reads (as
// atoi would) above 255.  0 when accepted, 7 when rejected.
int IsValidIpText(const char* text);

#endif  // BRAMO_CONTROLLER_MONITOR_HTTP_FETCH_H_
