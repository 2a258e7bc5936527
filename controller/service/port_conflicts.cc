#include "controller/service/port_conflicts.h"

#include <cstdint>
#include <initializer_list>

namespace {

int FreePort(platform::Env& env, int port) {
  uint32_t pid = 0;
  int result = env.FindPortOwner(port, &pid);
  if (result != 0) return result;
  if (pid != 0) {
    env.Sleep(1000);
    env.TerminatePortOwner(pid);
  }
  return 0;
}

// The seed changes once a second, so a draw made in the same second as an
// accepted one repeats it; the wait after a rejected draw moves the seed.
int DrawPortAvoiding(platform::Env& env, std::initializer_list<int> taken) {
  while (true) {
    env.SRand(static_cast<unsigned>(env.Time()));
    int port = env.Rand() % 10000 + kRouterPortFirst;
    bool clash = false;
    for (int t : taken) clash = clash || port == t;
    if (!clash) return port;
    env.Sleep(2000);
  }
}

}  // namespace

int FreePorts(platform::Env& env, int httpPort, int httpsPort) {
  int result = FreePort(env, httpPort);
  if (result != 0) return result;
  return FreePort(env, httpsPort);
}

int ChooseRouterPorts(platform::Env& env, int oldHttp, int oldHttps,
                      int& newHttp, int& newHttps) {
  int first = DrawPortAvoiding(env, {oldHttp, oldHttps});
  int second = DrawPortAvoiding(env, {oldHttp, oldHttps, first});
  newHttp = first;
  newHttps = second;
  return 0;
}
