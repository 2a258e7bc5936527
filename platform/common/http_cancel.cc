#include "platform/env.h"

namespace platform {

void HttpCancel::Cancel() {
  std::function<void()> hook;
  {
    std::lock_guard<std::mutex> lock(mu_);
    cancelled_ = true;
    hook = hook_;
  }
  if (hook) hook();
}

bool HttpCancel::cancelled() const {
  std::lock_guard<std::mutex> lock(mu_);
  return cancelled_;
}

void HttpCancel::SetHook(std::function<void()> hook) {
  bool run_now;
  {
    std::lock_guard<std::mutex> lock(mu_);
    hook_ = hook;
    run_now = cancelled_;
  }
  if (run_now) hook();
}

void HttpCancel::ClearHook() {
  std::lock_guard<std::mutex> lock(mu_);
  hook_ = nullptr;
}

}  // namespace platform
