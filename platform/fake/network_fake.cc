#include "platform/fake/fake_env.h"

namespace platform {

// A helper thread the caller gave up on may still be in here when the
// test ends: the destructor waits for it (resolving_).
std::string FakeEnv::LocalIpv4Address() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    ++resolving_;
  }
  HoldWhile([this] { return local_ip_hangs; });
  std::string answer;
  {
    std::lock_guard<std::mutex> lock(mu_);
    answer = local_ip;
  }
  Record("local ip " + answer);
  std::lock_guard<std::mutex> lock(mu_);
  --resolving_;
  trace_grew_.notify_all();
  return answer;
}

}  // namespace platform
