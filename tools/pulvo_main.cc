// pulvo.exe <URL>: the keep-alive client.  One GET of the URL with a short
// time-out, the answer thrown away; then it ends by itself, so the
// monitor's start of it every minute never piles up processes.
#include <curl/curl.h>

#include <cstdio>

#include "tools/kill_by_name.h"

namespace {

constexpr long kConnectTimeoutMs = 3000;
constexpr long kTotalTimeoutMs = 5000;

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

}  // namespace

int main(int argc, char** argv) {
  tools::RecordRun(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: pulvo <URL>\n");
    return 2;
  }
  curl_global_init(CURL_GLOBAL_DEFAULT);
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return 1;
  curl_easy_setopt(curl, CURLOPT_URL, argv[1]);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, kTotalTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
  CURLcode result = curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  curl_global_cleanup();
  if (result != CURLE_OK) {
    std::fprintf(stderr, "pulvo: %s\n", curl_easy_strerror(result));
    return 1;
  }
  return 0;
}
