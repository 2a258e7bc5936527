#include "platform/thread_stop.h"

#include <condition_variable>
#include <memory>
#include <mutex>
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

std::string CallAbandonable(const std::function<std::string()>& call) {
  HttpCancel* stop = t_stop;
  if (stop == nullptr) return call();
  StopPoint();
  // Shared with the helper, which may outlive this call.
  struct Answer {
    std::mutex mu;
    std::condition_variable changed;
    bool done = false;
    std::string text;
  };
  auto answer = std::make_shared<Answer>();
  std::thread([answer, call] {
    std::string text = call();
    std::lock_guard<std::mutex> lock(answer->mu);
    answer->text = std::move(text);
    answer->done = true;
    answer->changed.notify_all();
  }).detach();
  stop->SetHook([answer] {
    std::lock_guard<std::mutex> lock(answer->mu);
    answer->changed.notify_all();
  });
  bool done;
  std::string text;
  {
    std::unique_lock<std::mutex> lock(answer->mu);
    answer->changed.wait(lock,
                         [&] { return answer->done || stop->cancelled(); });
    done = answer->done;
    text = answer->text;
  }
  stop->ClearHook();
  if (!done) throw ThreadStopped();
  return text;
}

}  // namespace platform
