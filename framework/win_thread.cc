#include "framework/win_thread.h"

#include "platform/thread_stop.h"

namespace framework {

CWinThread::CWinThread(AFX_THREADPROC proc, void* param)
    : proc_(proc), param_(param) {}

CWinThread::~CWinThread() { Stop(); }

void CWinThread::ResumeThread() {
  if (started_) return;
  started_ = true;
  thread_ = std::thread([this] { Main(); });
}

void CWinThread::Main() {
  platform::ThreadStopScope scope(&stop_);
  try {
    proc_(param_);
  } catch (const platform::ThreadStopped&) {
    // The stop unwound the procedure: the thread ends here.
  }
}

void CWinThread::Stop() {
  stop_.Cancel();
  if (thread_.joinable()) thread_.join();
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, void* param, int, unsigned,
                           uint32_t createFlags, void*) {
  auto* thread = new CWinThread(proc, param);
  if ((createFlags & CREATE_SUSPENDED) == 0) thread->ResumeThread();
  return thread;
}

}  // namespace framework
