// The running program, its rights, the programs it starts and the
// system's process list.
// One concern of the platform seam; Env (platform/env.h) joins them all.
#ifndef BRAMO_PLATFORM_PROCESSES_H_
#define BRAMO_PLATFORM_PROCESSES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class Processes {
 public:
  virtual ~Processes() = default;

  // ---- Module and rights ---------------------------------------------

  // The full path of the running program (GetModuleFileNameA with a buffer
  // of `capacity` characters).  Empty when it cannot be read or does not
  // fit.
  virtual std::string ModulePath(size_t capacity) = 0;

  // Whether the process token is a member of the built-in Administrators
  // group.  On failure of the test itself returns false and sets *error to
  // the system's error code (never 0).
  virtual bool IsAdministrator(uint32_t* error) = 0;

  // Starts `program` again elevated ("runas").  True when the request was
  // accepted; false when it was refused or is not available here.
  virtual bool RelaunchElevated(const std::string& program) = 0;

  // Ends the process at once with `code`.  Does not return on the real
  // platforms; the fake records it and returns.
  virtual void ExitProcess(int code) = 0;

  // ---- Programs ------------------------------------------------------

  // Starts a command line hidden and does not wait (WinExec with SW_HIDE).
  // Returns a value above 31 when the program was started, 0, 2, 3 or 11
  // when it was not, as WinExec does.
  virtual unsigned WinExec(const std::string& command_line) = 0;

  // Runs `command` through the command interpreter and waits for it, as
  // the C runtime's system() does.  Returns the command's exit status;
  // 9009 when its program cannot be found, as the interpreter reports it.
  // The posix layer carries out the interpreter's own verbs (del, md, rd)
  // itself and starts anything else directly, never through /bin/sh.
  virtual int System(const std::string& command) = 0;

  // Runs `command_line` (its first word found as CreateProcessA finds it:
  // the program's own folder, the current folder, then PATH) with its
  // standard output and its standard error in two pipes of their own, and
  // waits for it without a time limit.  Both pipes are read while the
  // program runs, so any amount of either is taken whole.  Returns:
  //   0  the program ran and ended: *output holds everything it wrote to
  //      standard output, *errors everything it wrote to standard error
  //      (a progress meter, say), and *exit_code its exit status;
  //   2  a pipe cannot be created;
  //   3  the program cannot be started: *error holds the system's code
  //      (2 when it cannot be found);
  //   4  waiting for it failed.
  // No command interpreter stands in between.  The posix layer maps the
  // arguments that are Windows paths of this machine (a leading
  // backslash, also after an '@') to Linux paths.
  virtual int RunCommandCaptured(const std::string& command_line,
                                 std::string* output, std::string* errors,
                                 int* exit_code, uint32_t* error) = 0;

  // RunCommandCaptured for at most `limit_ms` milliseconds of real time,
  // for a program that may hang (one that waits for a router's answer, say).
  // The same results, and:
  //   5  the time ran out: the program was ended, *output and *errors hold
  //      what it had written until then.
  // On a worker thread that carries a stop token (platform/thread_stop.h)
  // a stop ends the program as well and throws ThreadStopped once it is
  // gone, so a stopped thread leaves no program of its own behind.
  virtual int RunCommandCapturedFor(const std::string& command_line,
                                    uint32_t limit_ms, std::string* output,
                                    std::string* errors, int* exit_code,
                                    uint32_t* error) = 0;

  // ---- Console -------------------------------------------------------

  // Writes `text` to standard output as it is (GBK bytes) and flushes.
  virtual void Print(const std::string& text) = 0;

  // ---- Process table -------------------------------------------------

  // Lists at most `capacity` process identifiers (EnumProcesses).  False
  // when the list cannot be had.
  virtual bool EnumProcesses(size_t capacity, std::vector<uint32_t>* ids) = 0;

  // The base name of the first module of process `pid`, at most `capacity`
  // - 1 characters; nullopt when the process cannot be opened or its
  // modules cannot be listed.
  virtual std::optional<std::string> ProcessBaseName(uint32_t pid,
                                                     size_t capacity) = 0;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_PROCESSES_H_
