#include "platform/thread_stop.h"

#include <thread>

namespace platform {
namespace {

thread_local HttpCancel* t_stop = nullptr;

}  // namespace

HttpCancel* CurrentThreadStop() { return t_stop; }

ThreadStopScope::ThreadStopScope(HttpCancel* token) : previous_(t_stop) {
  t_stop = token;
}

ThreadStopScope::~ThreadStopScope() { t_stop = previous_; }

void StopPoint() {
  if (t_stop != nullptr && t_stop->cancelled()) throw ThreadStopped();
}

void PauseThisThread(uint32_t ms) {
  if (t_stop == nullptr) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return;
  }
  if (!t_stop->WaitFor(ms)) throw ThreadStopped();
}

}  // namespace platform
