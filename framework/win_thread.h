// Our stand-in for MFC's worker threads: AfxBeginThread and CWinThread.
//
// A worker thread carries a stop token (platform/thread_stop.h).  Stop()
// cancels it and waits for the thread to end: the thread's pauses end at
// once, an HTTP call under way that carries the token fails at once, and
// its next Env call with an effect unwinds the procedure instead of
// running.  So once Stop() has returned, the thread has ended and has
// done nothing after the stop was asked for.
#ifndef BRAMO_FRAMEWORK_WIN_THREAD_H_
#define BRAMO_FRAMEWORK_WIN_THREAD_H_

#include <cstdint>
#include <thread>

#include "platform/env.h"

namespace framework {

using AFX_THREADPROC = unsigned (*)(void* param);

inline constexpr int THREAD_PRIORITY_NORMAL = 0;
inline constexpr uint32_t CREATE_SUSPENDED = 4;

class CWinThread {
 public:
  CWinThread(AFX_THREADPROC proc, void* param);
  // Stops the thread first, when it still runs.
  ~CWinThread();
  CWinThread(const CWinThread&) = delete;
  CWinThread& operator=(const CWinThread&) = delete;

  // Starts a thread created suspended; does nothing afterwards.
  void ResumeThread();

  // Asks the thread to stop and waits until it has ended.  Safe to call
  // more than once; never from the thread itself.
  void Stop();

  // The stop token, for the thread's HTTP calls to carry.
  platform::HttpCancel* stop_token() { return &stop_; }

 private:
  void Main();

  AFX_THREADPROC proc_;
  void* param_;
  platform::HttpCancel stop_;
  std::thread thread_;
  bool started_ = false;
};

// Creates a worker thread running `proc(param)`, started at once unless
// `createFlags` holds CREATE_SUSPENDED.  Unlike MFC's, the thread object
// belongs to the caller, who deletes it (which stops the thread); it never
// deletes itself.  Priority, stack size and security take their defaults
// only: the thread runs at normal priority with the default stack.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, void* param,
                           int priority = THREAD_PRIORITY_NORMAL,
                           unsigned stackSize = 0, uint32_t createFlags = 0,
                           void* security = nullptr);

}  // namespace framework

#endif  // BRAMO_FRAMEWORK_WIN_THREAD_H_
