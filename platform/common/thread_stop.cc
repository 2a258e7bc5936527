#include "platform/thread_stop.h"

#include <thread>

namespace platform {
namespace {

thread_local HttpCancel* t_stop = nullptr;
thread_local int t_deferrals = 0;

}  // namespace

HttpCancel* CurrentThreadStop() { return t_stop; }

ThreadStopScope::ThreadStopScope(HttpCancel* token) : previous_(t_stop) {
  t_stop = token;
}

ThreadStopScope::~ThreadStopScope() { t_stop = previous_; }

void StopPoint() {
  if (t_stop != nullptr && t_deferrals == 0 && t_stop->cancelled()) {
    throw ThreadStopped();
  }
}

StopDeferral::StopDeferral() { ++t_deferrals; }

StopDeferral::~StopDeferral() { --t_deferrals; }

void PauseThisThread(uint32_t ms) {
  if (t_stop == nullptr) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return;
  }
  if (!t_stop->WaitFor(ms)) throw ThreadStopped();
}

}  // namespace platform
