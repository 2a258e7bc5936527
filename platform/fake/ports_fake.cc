#include <strings.h>

#include <algorithm>

#include "platform/fake/fake_env.h"
#include "platform/thread_stop.h"

namespace platform {

int FakeEnv::FindPortOwner(int port, uint32_t* pid) {
  std::lock_guard<std::mutex> lock(mu_);
  if (tcp_library_missing) return 1;
  auto it = port_owners.find(port);
  if (it != port_owners.end()) *pid = it->second;
  return 0;
}

int FakeEnv::TerminatePortOwner(uint32_t pid) {
  StopPoint();
  std::optional<std::string> name = ProcessBaseName(pid, 260);
  if (name && strcasecmp(name->c_str(), "httpd.exe") == 0) {
    Record("spare " + std::to_string(pid));
    return 0;
  }
  if (std::find(unkillable.begin(), unkillable.end(), pid) !=
      unkillable.end()) {
    return 3;
  }
  Record("terminate " + std::to_string(pid));
  std::lock_guard<std::mutex> lock(mu_);
  for (auto it = port_owners.begin(); it != port_owners.end();) {
    it = it->second == pid ? port_owners.erase(it) : std::next(it);
  }
  return 0;
}

int64_t FakeEnv::Time() {
  std::lock_guard<std::mutex> lock(mu_);
  return start_time + static_cast<int64_t>(now_ms_ / 1000);
}

void FakeEnv::SRand(unsigned seed) {
  std::lock_guard<std::mutex> lock(mu_);
  rand_state_ = seed;
}

int FakeEnv::Rand() {
  std::lock_guard<std::mutex> lock(mu_);
  if (!rand_values.empty()) {
    int value = rand_values.front();
    rand_values.pop_front();
    return value;
  }
  // The Windows C runtime's generator.
  rand_state_ = rand_state_ * 214013u + 2531011u;
  return static_cast<int>((rand_state_ >> 16) & 0x7FFF);
}

}  // namespace platform
