#include "platform/fake/fake_env.h"

namespace platform {

std::string FakeEnv::LocalIpv4Address() {
  std::string answer;
  {
    std::lock_guard<std::mutex> lock(mu_);
    answer = local_ip;
  }
  Record("local ip " + answer);
  return answer;
}

}  // namespace platform
