#include "platform/env.h"

namespace platform {

// The hook runs outside the lock (it may take locks of its own, such as
// the transfer's), so Cancel counts it as running; ClearHook waits for
// that count to fall to zero, which keeps a late cancel away from a call
// that has already returned.
void HttpCancel::Cancel() {
  std::function<void()> hook;
  {
    std::lock_guard<std::mutex> lock(mu_);
    cancelled_ = true;
    hook = hook_;
    if (hook) ++hooks_running_;
  }
  changed_.notify_all();
  if (!hook) return;
  hook();
  {
    std::lock_guard<std::mutex> lock(mu_);
    --hooks_running_;
  }
  changed_.notify_all();
}

bool HttpCancel::cancelled() const {
  std::lock_guard<std::mutex> lock(mu_);
  return cancelled_;
}

void HttpCancel::SetHook(const std::function<void()>& hook) {
  bool run_now;
  {
    std::lock_guard<std::mutex> lock(mu_);
    hook_ = hook;
    run_now = cancelled_;
  }
  // On the caller's own thread, which clears the hook later itself.
  if (run_now && hook) hook();
}

void HttpCancel::ClearHook() {
  std::unique_lock<std::mutex> lock(mu_);
  hook_ = nullptr;
  changed_.wait(lock, [this] { return hooks_running_ == 0; });
}

bool HttpCancel::WaitFor(uint32_t ms) {
  std::unique_lock<std::mutex> lock(mu_);
  return !changed_.wait_for(lock, std::chrono::milliseconds(ms),
                            [this] { return cancelled_; });
}

}  // namespace platform
