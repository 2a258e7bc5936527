// Pauses, the time and the C runtime's chance.
// One concern of the platform seam; Env (platform/env.h) joins them all.
#ifndef BRAMO_PLATFORM_CLOCK_H_
#define BRAMO_PLATFORM_CLOCK_H_

#include <cstdint>

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;

  // ---- Time ----------------------------------------------------------

  // Pauses the calling thread (Sleep).  On a worker thread that carries a
  // stop token (platform/thread_stop.h) the pause ends when the thread is
  // stopped, and ThreadStopped is thrown instead of returning.
  virtual void Sleep(uint32_t ms) = 0;

  // ---- Time and chance -----------------------------------------------

  // time(): the current time in whole seconds.
  virtual int64_t Time() = 0;
  // srand() and rand() of the C runtime: the same seed gives the same
  // draws; rand() gives 0 to 32767 at least.
  virtual void SRand(unsigned seed) = 0;
  virtual int Rand() = 0;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_CLOCK_H_
