// FakeEnv's captured runs: answered from the script, one trace line each.
#include "platform/fake/fake_env.h"
#include "platform/thread_stop.h"

namespace platform {

int FakeEnv::RunCommandCaptured(const std::string& command_line,
                                std::string* output, std::string* errors,
                                int* exit_code, uint32_t* error) {
  StopPoint();
  Record("run " + command_line);
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
  output->clear();
  errors->clear();
  if (run.status == 0) {
    *output = run.output;
    *errors = run.errors;
    *exit_code = run.exit_code;
  } else if (run.status == 3) {
    *error = run.error;
  }
  return run.status;
}

}  // namespace platform
