// An Env for tests.  Every effect becomes one line of an ordered trace,
// pauses advance a virtual clock and return at once, and answers come from
// a script the test sets up.  Files are real: tests give it a temporary
// install folder.  Safe to use from several threads.
//
// Trace lines:
//   sleep 2000
//   exec <command line>
//   system <command>
//   run <command line>      (RunCommandCaptured)
//   run <command line> (at most <limit> ms)   (RunCommandCapturedFor)
//   print "<text>"
//   relaunch <program>
//   exit <code>
//   autostart SABLO=<data>
//   initcc <size> 0x<classes>
//   tray add|modify|delete <role> "<tip>"     (line ends shown as \n;
//                                              "(failed)" when refused)
//   msgbox <icon> <ok|okcancel> "<caption>" "<text>"
//   dialog create <template> | dialog destroy
//   write <path>            (whole-file writes; "(failed)" when they fail)
//   profile write [section] key=value <file>
//   terminate <pid> | spare <pid>   (TerminatePortOwner)
//   http get <url> agent=<agent> | download <url> -> <path> [(failed)]
//   verify <path> from <address> key=<key path> [(refused)]
//   msgboxw <buttons> "<caption>" "<text>" | open <address>
//   local ip <answer>       (LocalIpv4Address)
//   open <address>          (ShellOpenW and ShellExecuteOpen)
// and those of the menus and modal dialogs (menu_ui_fake.h,
// dialog_ui_fake.h).
#ifndef BRAMO_PLATFORM_FAKE_FAKE_ENV_H_
#define BRAMO_PLATFORM_FAKE_FAKE_ENV_H_

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/fake/dialog_ui_fake.h"
#include "platform/fake/menu_ui_fake.h"
#include "platform/fake/shell_open_fake.h"

namespace platform {

class FakeEnv : public Env {
 public:
  struct Process {
    uint32_t pid;
    std::optional<std::string> name;  // nullopt: cannot be opened
  };

  FakeEnv();
  ~FakeEnv() override;

  // ---- Script ------------------------------------------------------------
  std::string module_path = "C:\\Bramo\\Sablo.exe";
  bool administrator = true;
  uint32_t admin_check_error = 0;  // non-zero: the test itself fails
  bool relaunch_accepted = false;
  bool enum_processes_fails = false;
  std::vector<Process> processes;
  bool autostart_available = true;
  bool dialog_creation_fails = false;
  // Answers of the coming message boxes, in order; when none is left a box
  // takes its default button (OK).
  std::deque<int> message_box_answers;
  // Exit statuses of the coming System calls, in order; 0 when none is
  // left.
  std::deque<int> system_results;
  // When set, System also carries out the command interpreter's verbs
  // (del, md, rd) on the real files, as the posix layer does.
  bool system_runs_verbs = false;
  // Answers of the coming RunCommandCaptured calls, in order; when none is
  // left the program cannot be started (status 3, error 2).
  struct CapturedRun {
    int status = 0;
    std::string output;
    int exit_code = 0;
    uint32_t error = 0;
    std::string errors;  // what it wrote to standard error
    // For RunCommandCapturedFor: a program that never ends by itself (its
    // time runs out: status 5, with `output` and `errors` as written).
    bool hangs = false;
  };
  std::deque<CapturedRun> captured_runs;
  // When set, the next whole-file or profile write stops after writing
  // this many bytes of its temporary file and fails, as a full disk or a
  // crash would leave it.  Cleared by that write.
  std::optional<size_t> fail_writes_after_bytes;
  // The TCP table: port -> owning process.  `tcp_library_missing` makes
  // every lookup answer 1.  Processes in `unkillable` give 3 when ended.
  std::map<int, uint32_t> port_owners;
  bool tcp_library_missing = false;
  std::vector<uint32_t> unkillable;
  // time() at virtual time 0; the clock then follows the pauses.
  int64_t start_time = 1700000000;
  // Draws of rand() to hand out first, in order; when none is left the
  // runtime's own generator (seeded by SRand) answers.
  std::deque<int> rand_values;
  // Answers of the web, by URL.  A URL without one cannot be reached.
  // One that `hangs` never answers: the call waits until its cancel token
  // is cancelled and then fails (kUrlFailed); without a token it fails at
  // once, as after a time-out.
  struct HttpAnswer {
    HttpResult result = HttpResult::kOk;
    int status = 200;
    std::string body;
    bool hangs = false;
  };
  std::map<std::string, HttpAnswer> http_answers;
  // What LocalIpv4Address answers; empty: the host name cannot be
  // resolved.
  std::string local_ip = "192.168.1.20";
  // When set, LocalIpv4Address is a resolver that gets no reply: it
  // answers only after ReleaseHeld (or kHeldMs of real time).
  bool local_ip_hangs = false;
  // A thread that records one of these lines waits right after it until
  // ReleaseHeld (or kHeldMs of real time): a test stops a sequence at a
  // step while another thread acts.
  std::set<std::string> held_lines;
  bool http_session_fails = false;
  std::string first_drive = "C:\\";
  // Folders IsPrivateFolder refuses (another user's, say); any other
  // folder that exists and is not a link passes.
  std::set<std::string> foreign_folders;
  // Installer contents IsVendorInstaller takes as the vendor's; any other
  // file is refused.
  std::set<std::string> vendor_installers;
  // The size limit of the last DownloadToFile; a longer body fails it.
  uint64_t last_download_limit = 0;
  std::map<std::string, std::string> environment;

  // Pauses of these lengths, made on a thread that carries a stop token
  // (platform/thread_stop.h), do not pass on their own: they wait in real
  // time until the thread is stopped, for tests that stop a thread in the
  // middle of a pause.  Other pauses pass at once, on every thread.  Set
  // before the thread starts.
  std::set<uint32_t> held_pauses;
  // How long a held pause or a hanging fetch waits at most, in real time.
  static constexpr uint32_t kHeldMs = 10000;

  // ---- What happened -----------------------------------------------------
  // Waits until `line` is in the trace `times` times; false after
  // `timeout_ms` of real time without that.
  bool AwaitTrace(const std::string& line, size_t times = 1,
                  uint32_t timeout_ms = kHeldMs);
  // Waits until a worker thread rests in a held pause, a held line or the
  // hanging resolver; false after `timeout_ms` of real time without that.
  bool AwaitHeldPause(uint32_t timeout_ms = kHeldMs);
  // Threads resting in a held pause, a held line or the hanging resolver
  // now.
  int held_now() const;
  // Lets the threads held at `line` go on; it holds no more.
  void Release(const std::string& line);
  // Lets every held line and the hanging resolver go on; none holds more.
  void ReleaseHeld();
  std::vector<std::string> trace() const;
  void ClearTrace();
  // The trace lines that begin with `prefix`.
  std::vector<std::string> TraceStartingWith(const std::string& prefix) const;
  uint64_t now_ms() const;
  // Tray icons present now, by identifier, with their tooltips.
  std::map<uint32_t, std::string> tray_icons() const;
  std::optional<int> exit_code() const;

  // ---- Env ---------------------------------------------------------------
  std::string ModulePath(size_t capacity) override;
  bool IsAdministrator(uint32_t* error) override;
  bool RelaunchElevated(const std::string& program) override;
  void ExitProcess(int code) override;
  void Sleep(uint32_t ms) override;
  unsigned WinExec(const std::string& command_line) override;
  int System(const std::string& command) override;
  int RunCommandCaptured(const std::string& command_line, std::string* output,
                         std::string* errors, int* exit_code,
                         uint32_t* error) override;
  int RunCommandCapturedFor(const std::string& command_line, uint32_t limit_ms,
                            std::string* output, std::string* errors,
                            int* exit_code, uint32_t* error) override;
  void Print(const std::string& text) override;
  bool EnumProcesses(size_t capacity, std::vector<uint32_t>* ids) override;
  std::optional<std::string> ProcessBaseName(uint32_t pid,
                                             size_t capacity) override;
  bool SetAutostartValue(const std::string& name,
                         const std::string& data) override;
  std::optional<std::string> AutostartValue(const std::string& name) override;
  std::string GetProfileText(const std::string& section, const std::string& key,
                             const std::string& default_value, size_t size,
                             const std::string& file) override;
  bool WriteProfileText(const std::string& section, const std::string& key,
                        const std::string& value,
                        const std::string& file) override;
  std::optional<std::string> ReadWholeFile(const std::string& path,
                                           size_t max_bytes) override;
  bool WriteWholeFile(const std::string& path,
                      const std::string& bytes) override;
  bool FileExists(const std::string& path) override;
  std::optional<std::string> AnsiToUtf8(const std::string& text) override;
  int FindPortOwner(int port, uint32_t* pid) override;
  int TerminatePortOwner(uint32_t pid) override;
  int64_t Time() override;
  void SRand(unsigned seed) override;
  int Rand() override;
  std::string LocalIpv4Address() override;
  HttpResult HttpGet(const std::string& url, const std::string& agent,
                     size_t max_bytes, std::string* body,
                     const HttpOptions& options) override;
  bool DownloadToFile(const std::string& url, const std::string& path,
                      uint64_t max_bytes, const HttpOptions& options) override;
  int ShowMessageBoxW(const std::string& text, const std::string& caption,
                      uint32_t type) override;
  bool ShellOpenW(const std::string& address) override;
  std::string FirstLogicalDrive() override;
  bool IsPrivateFolder(const std::string& path) override;
  bool IsVendorInstaller(const std::string& path, const std::string& address,
                         const std::string& key_path) override;
  std::optional<std::string> EnvironmentVariable(
      const std::string& name) override;
  bool InitCommonControls(uint32_t size, uint32_t classes) override;
  IconHandle LoadIconResource(int id) override;
  bool NotifyIcon(uint32_t message, const NotifyIconData& data) override;
  int ShowMessageBox(WindowHandle owner, const std::string& text,
                     const std::string& caption, uint32_t type) override;
  WindowHandle CreateDialogWindow(int template_id, WindowHost* host) override;
  void DestroyDialogWindow(WindowHandle window) override;
  int RunMessageLoop(WindowHandle main_window) override;
  bool IsIconic(WindowHandle window) override;
  void ClientSize(WindowHandle window, int* width, int* height) override;
  void IconMetrics(int* cx, int* cy) override;
  void DrawMinimizedIcon(WindowHandle window, IconHandle icon, int x,
                         int y) override;
  void SetWindowIcons(WindowHandle window, IconHandle icon) override;
  MenuUi& Menus() override { return menus; }
  DialogUi& Dialogs() override { return dialogs; }
  ShellOpen& Shell() override { return shell; }

  // The concerns with interfaces of their own, with their scripts.
  FakeMenuUi menus{this};
  FakeDialogUi dialogs{this};
  FakeShellOpen shell{this};

  // Hands a message to a window made by CreateDialogWindow, as the
  // platform does; false when the window is gone or did not handle it.
  bool SendToWindow(WindowHandle window, uint32_t message, uintptr_t wparam,
                    intptr_t lparam, intptr_t* result);

  // Test hooks for the window: minimised state and size.
  bool iconic = false;
  int client_width = 0;
  int client_height = 0;

 protected:
  // Appends one line to the trace.  For subclasses' and sections' use.
  void Record(const std::string& line);
  friend class FakeMenuUi;
  friend class FakeDialogUi;
  friend class FakeShellOpen;

 private:
  // The next scripted captured run, and handing its answer out.
  CapturedRun NextCapturedRun();
  static int Answer(const CapturedRun& run, std::string* output,
                    std::string* errors, int* exit_code, uint32_t* error);

  mutable std::mutex mu_;
  std::condition_variable trace_grew_;
  // Waits in a held line or the hanging resolver while `held` (asked
  // under mu_) is true.
  void HoldWhile(const std::function<bool()>& held);

  int held_waiting_ = 0;   // threads inside a held pause, line or resolver
  int resolving_ = 0;      // threads inside LocalIpv4Address
  std::mutex profile_mu_;  // one profile read-change-write at a time
  std::mutex replace_mu_;  // one whole-file replace at a time
  std::vector<std::string> trace_;
  uint64_t now_ms_ = 0;
  std::map<std::string, std::string> autostart_;
  std::map<uint32_t, std::string> tray_;
  std::map<WindowHandle, WindowHost*> windows_;
  WindowHandle next_window_ = 0x1000;
  std::optional<int> exit_code_;
  uint32_t rand_state_ = 1;
};

// Shows a text on one trace line: line ends as \n and \r, quotes as \".
std::string TraceText(const std::string& text);

}  // namespace platform

#endif  // BRAMO_PLATFORM_FAKE_FAKE_ENV_H_
