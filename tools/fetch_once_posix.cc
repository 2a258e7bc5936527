// The request through libcurl, whose own time-outs bound it.
#include <curl/curl.h>

#include "tools/fetch_once.h"

namespace tools {
namespace {

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

}  // namespace

bool FetchOnce(const std::string& url, long connect_ms, long total_ms,
               std::string* error) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  CURL* curl = curl_easy_init();
  if (curl == nullptr) {
    *error = "cannot start libcurl";
    return false;
  }
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connect_ms);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, total_ms);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
  CURLcode result = curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  curl_global_cleanup();
  if (result != CURLE_OK) *error = curl_easy_strerror(result);
  return result == CURLE_OK;
}

}  // namespace tools
