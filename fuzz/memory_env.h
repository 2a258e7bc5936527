// The fake Env with its files, message boxes, console and captured runs
// in memory: a fuzz target calls the code millions of times, and a real
// file per call would make the disk the bottleneck.  Nothing is traced,
// so memory stays flat however long a run lasts.
#ifndef BRAMO_FUZZ_MEMORY_ENV_H_
#define BRAMO_FUZZ_MEMORY_ENV_H_

#include <map>
#include <optional>
#include <string>

#include "platform/fake/fake_env.h"

class MemoryEnv : public platform::FakeEnv {
 public:
  std::map<std::string, std::string> files;
  int message_boxes = 0;
  std::string printed;
  // What the next captured run answers (status 0: it ran).
  CapturedRun run;

  void Reset() {
    files.clear();
    message_boxes = 0;
    printed.clear();
    run = CapturedRun();
  }

  std::optional<std::string> ReadWholeFile(const std::string& path,
                                           size_t max_bytes) override {
    auto it = files.find(path);
    if (it == files.end() || it->second.size() > max_bytes) {
      return std::nullopt;
    }
    return it->second;
  }
  bool WriteWholeFile(const std::string& path,
                      const std::string& bytes) override {
    files[path] = bytes;
    return true;
  }
  bool FileExists(const std::string& path) override {
    return files.count(path) != 0;
  }
  int ShowMessageBox(platform::WindowHandle, const std::string&,
                     const std::string&, uint32_t) override {
    ++message_boxes;
    return 1;
  }
  void Print(const std::string& text) override { printed += text; }
  int RunCommandCaptured(const std::string&, std::string* output,
                         std::string* errors, int* exit_code,
                         uint32_t* error) override {
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
};

#endif  // BRAMO_FUZZ_MEMORY_ENV_H_
