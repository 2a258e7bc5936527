#include "controller/monitor/http_fetch.h"

#include <climits>
#include <cstring>

namespace {

// Both fetches share the request; they differ only in how they map a
// failure to open the URL.  Returns the platform's result; `text` gets the
// body up to its first zero byte.
platform::HttpResult Fetch(platform::Env& env, const char* url,
                           std::string& text,
                           const platform::HttpOptions& options) {
  text.clear();
  std::string body;
  platform::HttpResult result =
      env.HttpGet(url, kFetchAgent, kFetchBodyBytes, &body, options);
  if (result != platform::HttpResult::kOk) return result;
  if (body.size() > kFetchBodyBytes) body.resize(kFetchBodyBytes);
  // The body is handed on as a zero-terminated text: it ends at its first
  // zero byte.
  text.assign(body.c_str());
  return result;
}

// atoi's reading of a field: leading digits only (the caller has checked
// there is nothing else), an empty field is 0, overflow gives INT_MAX.
long long ReadField(const std::string& field) {
  long long value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value > INT_MAX) return INT_MAX;
  }
  return value;
}

// Cuts `rest` at its first dot: the field before it is returned and `rest`
// becomes what follows.  Without a dot, the field and the rest are both the
// whole text.
std::string CutField(std::string& rest) {
  size_t dot = rest.find('.');
  if (dot == std::string::npos) return rest;
  std::string field = rest.substr(0, dot);
  rest = rest.substr(dot + 1);
  return field;
}

}  // namespace

int FetchUrlText(platform::Env& env, const char* url, std::string& text,
                 const platform::HttpOptions& options) {
  switch (Fetch(env, url, text, options)) {
    case platform::HttpResult::kOk:
      return 0;
    case platform::HttpResult::kUrlFailed:
      return 6;
    default:
      return 1;
  }
}

int FetchExternalIp(platform::Env& env, const char* url, std::string& text,
                    const platform::HttpOptions& options) {
  if (Fetch(env, url, text, options) != platform::HttpResult::kOk) return 1;
  if (IsValidIpText(text.c_str()) != 0) {
    text.clear();
    return 7;
  }
  return 0;
}

int IsValidIpText(const char* text) {
  std::string rest(text);
  if (rest.size() > 15) return 7;
  for (char c : rest) {
    if ((c < '0' || c > '9') && c != '.') return 7;
  }
  std::string fields[4];
  for (int i = 0; i < 3; ++i) fields[i] = CutField(rest);
  fields[3] = rest;
  for (const std::string& field : fields) {
    if (ReadField(field) > 255) return 7;
  }
  return 0;
}
