// FakeEnv's captured runs: answered from the script, one trace line each.
#include "platform/fake/fake_env.h"
#include "platform/thread_stop.h"

namespace platform {

int FakeEnv::RunCommandCaptured(const std::string& command_line,
                                std::string* output, std::string* errors,
                                int* exit_code, uint32_t* error) {
  StopPoint();
  Record("run " + command_line);
  return Answer(NextCapturedRun(), output, errors, exit_code, error);
}

// A program that hangs runs out its time on the virtual clock; on a thread
// with a stop token it waits in real time for the stop instead.
int FakeEnv::RunCommandCapturedFor(const std::string& command_line,
                                   uint32_t limit_ms, std::string* output,
                                   std::string* errors, int* exit_code,
                                   uint32_t* error) {
  StopPoint();
  Record("run " + command_line + " (at most " + std::to_string(limit_ms) +
         " ms)");
  CapturedRun run = NextCapturedRun();
  if (run.hangs) {
    HttpCancel* stop = CurrentThreadStop();
    if (stop != nullptr && !stop->WaitFor(kHeldMs)) throw ThreadStopped();
    {
      std::lock_guard<std::mutex> lock(mu_);
      now_ms_ += limit_ms;
    }
    run.status = 5;
  }
  return Answer(run, output, errors, exit_code, error);
}

FakeEnv::CapturedRun FakeEnv::NextCapturedRun() {
  CapturedRun run;
  {
    std::lock_guard<std::mutex> lock(mu_);
    if (captured_runs.empty()) {
      run.status = 3;
      run.error = 2;
    } else {
      run = captured_runs.front();
      captured_runs.pop_front();
    }
  }
  return run;
}

int FakeEnv::Answer(const CapturedRun& run, std::string* output,
                    std::string* errors, int* exit_code, uint32_t* error) {
  output->clear();
  errors->clear();
  if (run.status == 0 || run.status == 5) {
    *output = run.output;
    *errors = run.errors;
    if (run.status == 0) *exit_code = run.exit_code;
  } else if (run.status == 3) {
    *error = run.error;
  }
  return run.status;
}

}  // namespace platform
