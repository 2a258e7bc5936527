// Stopping a worker thread from another thread, at whatever step it is in.
//
// A worker thread of the framework carries a stop token (an HttpCancel).
// Once the token is cancelled, the thread's next Env call that has an
// effect (outside a StopDeferral) (a pause, a program start, a file or profile
// write, a tray change, ending a process, an HTTP call) throws ThreadStopped
// before doing anything, and a pause or an HTTP call under way ends at once and
// throws or fails.  The exception unwinds the thread's procedure to the
// framework, which ends the thread; locks are released on the way out,
// and no write is left half done, since writes never pause.
//
// Threads without a token (the main thread) are not affected.
#ifndef BRAMO_PLATFORM_THREAD_STOP_H_
#define BRAMO_PLATFORM_THREAD_STOP_H_

#include <cstdint>
#include <functional>
#include <string>

#include "platform/env.h"

namespace platform {

// Deliberately not a std::exception, so that no ordinary handler takes it.
struct ThreadStopped {};

// The calling thread's stop token; null on a thread without one.
HttpCancel* CurrentThreadStop();

// Gives the calling thread `token` for the scope's lifetime.
class ThreadStopScope {
 public:
  explicit ThreadStopScope(HttpCancel* token);
  ~ThreadStopScope();
  ThreadStopScope(const ThreadStopScope&) = delete;
  ThreadStopScope& operator=(const ThreadStopScope&) = delete;

 private:
  HttpCancel* previous_;
};

// Throws ThreadStopped when the calling thread's token is cancelled,
// unless a StopDeferral is alive on the thread.
void StopPoint();

// While one exists on the calling thread, StopPoint does not throw: the
// group of steps it covers is finished whole (the main window's state lock
// carries one, so that the writes made under one hold of the lock all
// happen or none does).  Pauses still end at the stop; none belongs in
// such a group.
class StopDeferral {
 public:
  StopDeferral();
  ~StopDeferral();
  StopDeferral(const StopDeferral&) = delete;
  StopDeferral& operator=(const StopDeferral&) = delete;
};

// The pause of the real layers: `ms` of real time; on a thread with a
// token it ends as soon as the token is cancelled, with ThreadStopped.
void PauseThisThread(uint32_t ms);

// For a blocking call that nothing can interrupt (the resolver's
// gethostbyname): on a thread with a stop token, `call` runs on a helper
// thread of its own while this thread waits for its answer, and a stop ends
// the wait at once with ThreadStopped; the helper then finishes alone and
// its answer is dropped, so what `call` uses must live as long as the
// program.  On a thread without a token `call` simply runs.
std::string CallAbandonable(const std::function<std::string()>& call);

}  // namespace platform

#endif  // BRAMO_PLATFORM_THREAD_STOP_H_
