// The floor of the footprint benchmark (bench/footprint): a program that
// does nothing but one libcurl fetch a minute, built like the controller
// (C++ runtime, libcurl), so what the controller takes beyond it is what
// our own code costs.
//   curl_floor <URL>
// BRAMO_PAUSE_SCALE scales the minute as it scales the controller's
// pauses.  Each fetch prints one line: the libcurl result and the number
// of body bytes.  Runs until it is ended by a signal.
#include <curl/curl.h>
#include <time.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double PauseScale() {
  const char* text = std::getenv("BRAMO_PAUSE_SCALE");
  if (text == nullptr || *text == '\0') return 1.0;
  char* end = nullptr;
  double scale = std::strtod(text, &end);
  return (end != text && scale >= 0) ? scale : 1.0;
}

size_t Append(char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

// A fresh handle for every fetch, as the controller's fetches have: the
// floor keeps no connection or cache between them either.
CURLcode FetchOnce(const char* url, std::string* body) {
  CURL* easy = curl_easy_init();
  if (easy == nullptr) return CURLE_FAILED_INIT;
  curl_easy_setopt(easy, CURLOPT_URL, url);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, 60000L);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, Append);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, body);
  CURLcode code = curl_easy_perform(easy);
  curl_easy_cleanup(easy);
  return code;
}

// <chrono> does not build with the GBK execution character set, so the
// pause is a plain nanosleep.
void Pause(double seconds) {
  timespec left;
  left.tv_sec = static_cast<time_t>(seconds);
  left.tv_nsec = static_cast<long>((seconds - left.tv_sec) * 1e9);
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <URL>\n", argv[0]);
    return 2;
  }
  curl_global_init(CURL_GLOBAL_DEFAULT);
  const double minute = 60.0 * PauseScale();
  for (;;) {
    std::string body;
    CURLcode code = FetchOnce(argv[1], &body);
    std::printf("%d %zu\n", static_cast<int>(code), body.size());
    std::fflush(stdout);
    Pause(minute);
  }
}
