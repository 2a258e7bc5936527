#include "controller/config/data_files.h"

#include <cstdio>

#include "controller/config/text_file.h"
#include "controller/config/text_mode.h"

namespace {

constexpr size_t kUserBytes = 128;
// Far more than a name and the blanks around it; a larger current_user is
// no file of the web application's.
constexpr size_t kUserFileLimit = 64u << 10;
// Far more than the few causes the controller writes.
constexpr size_t kDiagnosisFileLimit = 4096;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

std::string Decimal(int value) {
  char buffer[16] = {};
  std::snprintf(buffer, sizeof buffer, "%d", value);
  return buffer;
}

}  // namespace

void WriteHttpsPortFile(platform::Env& env, const std::string& folder,
                        int routerHttpsPort) {
  env.WriteWholeFile(folder + "website\\pc2\\database\\https_port",
                     Decimal(routerHttpsPort));
}

int WriteLocalPortFile(platform::Env& env, const std::string& folder,
                       int httpPort, int httpsPort) {
  env.WriteWholeFile(folder + "website\\pc2\\database\\local_port",
                     Decimal(httpPort) + ":" + Decimal(httpsPort));
  return 0;
}

int WriteReachabilityFile(platform::Env& env, const std::string& folder,
                          int result) {
  env.WriteWholeFile(folder + "website\\pc2\\database\\rc.txt",
                     Decimal(result));
  return 0;
}

int RefreshReachabilityFile(platform::Env& env, const std::string& folder,
                            int result) {
  ReplaceUnlessSame(env, folder + "website\\pc2\\database\\rc.txt",
                    Decimal(result));
  return 0;
}

void WriteDiagnosisFile(platform::Env& env, const std::string& folder,
                        const std::string& text) {
  const std::string path = folder + "website\\pc2\\database\\diagnosis";
  const std::string bytes = ToTextModeBytes(text);
  const std::optional<std::string> now =
      env.ReadWholeFile(path, kDiagnosisFileLimit);
  // One that cannot be read (no regular file, too long) is replaced.
  const bool same =
      now ? *now == bytes : bytes.empty() && !env.FileExists(path);
  if (same) return;
  env.WriteWholeFile(path, bytes);
}

int ReadCurrentUser(platform::Env& env, const std::string& folder,
                    std::string& name) {
  name.clear();
  std::optional<std::string> bytes = env.ReadWholeFile(
      folder + "\\website\\pc2\\database\\current_user", kUserFileLimit);
  if (!bytes) return 1;
  const std::string text = FromTextModeBytes(*bytes);
  size_t begin = 0;
  while (begin < text.size() && IsSpace(text[begin])) ++begin;
  size_t end = begin;
  while (end < text.size() && !IsSpace(text[end])) ++end;
  if (end == begin || end - begin > kUserBytes - 1) return 1;
  // The name is the buffer's C string: a zero byte in the token ends it.
  name = text.substr(begin, end - begin);
  if (size_t zero = name.find('\0'); zero != std::string::npos)
    name.resize(zero);
  return name.empty() ? 1 : 0;
}
