// Starts holder_tool (testing/holder_tool_win32.cc), built beside the
// tests, as a process of its own for a Windows test: it holds a file or a
// port until the test lets it go.
#ifndef BRAMO_TESTING_HOLDER_PROCESS_WIN32_H_
#define BRAMO_TESTING_HOLDER_PROCESS_WIN32_H_

#include <cstdint>
#include <string>

namespace testing_support {

class HolderProcess {
 public:
  // Runs `program` (a path; empty: holder_tool.exe beside this program)
  // with `arguments`, and waits for its first line, which line() then
  // gives ("held", "port 1234", "failed 32"; empty when the process
  // could not start or ended without one).
  explicit HolderProcess(const std::string& arguments,
                         const std::string& program = "");
  // Lets go (if not yet) and ends the process if it still runs.
  ~HolderProcess();
  HolderProcess(const HolderProcess&) = delete;
  HolderProcess& operator=(const HolderProcess&) = delete;

  const std::string& line() const { return line_; }
  uint32_t pid() const { return pid_; }
  // Whether the process has not ended yet, waiting up to `ms` for it to
  // end.
  bool RunningAfter(uint32_t ms);
  // Closes its standard input: it lets go and ends.  Its exit status, or
  // -1 when it did not end within 10 s.
  int Release();

  // holder_tool.exe beside this program.
  static std::string ToolPath();

 private:
  void* process_ = nullptr;
  void* input_ = nullptr;  // our end of its standard input
  uint32_t pid_ = 0;
  std::string line_;
};

}  // namespace testing_support

#endif  // BRAMO_TESTING_HOLDER_PROCESS_WIN32_H_
