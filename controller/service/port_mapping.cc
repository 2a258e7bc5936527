#include "controller/service/port_mapping.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

// The C runtime's atoi, without its undefined overflow: leading blanks,
// an optional sign, then digits as far as they go; 0 when there are none.
int AtoiRule(const std::string& text) {
  long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > 2147483647L) return 2147483647;
  if (value < -2147483647L - 1) return -2147483647 - 1;
  return static_cast<int>(value);
}

void RunFormatted(platform::Env& env, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// NOLINTNEXTLINE(cert-dcl50-cpp): printf-style, checked by the attribute.
void RunFormatted(platform::Env& env, const char* format, ...) {
  char command[1024] = {};
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(command, sizeof command, format, args);
  va_end(args);
  // An address too long for the buffer is no address upnpc could use; a
  // cut command is never started.
  if (n < 0 || static_cast<size_t>(n) >= sizeof command) return;
  env.WinExec(command);
}

}  // namespace

bool IsPrivateAddress(const std::string& address) {
  size_t dot = address.find('.');
  std::string first = address.substr(0, dot);
  std::string second;
  if (dot != std::string::npos) {
    size_t next = address.find('.', dot + 1);
    second =
        address.substr(dot + 1, next == std::string::npos ? std::string::npos
                                                          : next - dot - 1);
  }
  int a = AtoiRule(first);
  int b = AtoiRule(second);
  return a == 10 || (a == 172 && b >= 16 && b <= 31) || (a == 192 && b == 168);
}

int AddPortMappings(platform::Env& env, const std::string& localIp,
                    int routerHttpPort, int routerHttpsPort, int httpPort,
                    int httpsPort) {
  if (!IsPrivateAddress(localIp)) return 0;
  RunFormatted(env, "upnpc.exe -a %s %d %d tcp", localIp.c_str(), httpPort,
               routerHttpPort);
  env.Sleep(2000);
  RunFormatted(env, "upnpc.exe -a %s %d %d tcp", localIp.c_str(), httpsPort,
               routerHttpsPort);
  env.Sleep(2000);
  return 0;
}

int RemovePortMappings(platform::Env& env, const std::set<int>& ports) {
  for (int port : ports) {
    RunFormatted(env, "upnpc.exe -d %d tcp", port);
    env.Sleep(1000);
  }
  return 0;
}

int RemovePortMappings(platform::Env& env, int routerHttpPort,
                       int routerHttpsPort) {
  return RemovePortMappings(env,
                            std::set<int>{routerHttpPort, routerHttpsPort});
}
