// The one door between Bramo's own code and the outside world.
//
// Every effect the programs have (starting programs, pauses, the registry,
// the tray, message boxes, windows, files, profile strings, HTTP, sockets,
// process and TCP tables) goes through an Env.  There are three
// implementations, chosen by the build:
//   - win32/  the real Windows API;
//   - posix/  Linux: real processes, /proc, a console front end for the
//             tray and the message boxes;
//   - fake/   for tests: records an ordered trace of effects and runs a
//             virtual clock.
//
// Texts are GBK bytes.  Paths are Windows paths: backslash separated.  The
// posix layer maps them to '/' at its boundary, so the system's code builds
// every path and command line exactly as it does on Windows.
//
// On a worker thread that has been stopped (platform/thread_stop.h), every
// call with an effect (pauses, program starts, file and profile writes,
// tray changes, ending a process, HTTP) throws ThreadStopped instead of
// acting; reads are left alone.
//
// Env is grouped by concern; add a concern's calls to its own section, and
// to the same section of each implementation.  Newer concerns are small
// interfaces of their own (menus, modal dialogs, shell open), which Env
// hands out; each implementation keeps them in files of their own.
#ifndef BRAMO_PLATFORM_ENV_H_
#define BRAMO_PLATFORM_ENV_H_

#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialog_ui.h"
#include "platform/menu_ui.h"
#include "platform/shell_open.h"
#include "platform/win_types.h"

namespace platform {

class WindowHost;

// Lets another thread end an HTTP call, or a pause, that is under way.
// The platform layer hangs a hook on it for the length of a call; Cancel
// runs it.  A worker thread's stop token is one of these (see
// platform/thread_stop.h).
class HttpCancel {
 public:
  // Safe from any thread; the call under way (or the next one) fails, and
  // a WaitFor under way returns at once.
  void Cancel();
  bool cancelled() const;
  // For the platform layer: `hook` runs on Cancel, or at once when the
  // token is cancelled already, until ClearHook.  ClearHook waits for a
  // hook under way on another thread, so no hook runs after it returned
  // and the hook may use what the call owns.  A hook must not call back
  // into its token.
  void SetHook(std::function<void()> hook);
  void ClearHook();
  // Waits `ms` milliseconds of real time.  False as soon as the token is
  // cancelled (at once when it already is); true when the time ran out.
  bool WaitFor(uint32_t ms);

 private:
  mutable std::mutex mu_;
  std::condition_variable changed_;
  bool cancelled_ = false;
  int hooks_running_ = 0;
  std::function<void()> hook_;
};

// How an HTTP call went, in the steps WinINet takes.
enum class HttpResult {
  kOk = 0,
  kSessionFailed,  // no Internet session (InternetOpenA)
  kUrlFailed,      // no answer: name, connection, refusal, time-out
  kReadFailed,     // the answer broke off while its body was read
};

struct HttpOptions {
  HttpCancel* cancel = nullptr;
  // Connect and receive time-outs; 0 keeps the platform's defaults (about
  // a minute each), as the system itself always does.  Tests set them
  // short.
  uint32_t timeout_ms = 0;
};

class Env {
 public:
  virtual ~Env() = default;

  // ---- Module and rights -------------------------------------------------

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

  // ---- Time --------------------------------------------------------------

  // Pauses the calling thread (Sleep).  On a worker thread that carries a
  // stop token (platform/thread_stop.h) the pause ends when the thread is
  // stopped, and ThreadStopped is thrown instead of returning.
  virtual void Sleep(uint32_t ms) = 0;

  // ---- Programs ----------------------------------------------------------

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

  // ---- Console -----------------------------------------------------------

  // Writes `text` to standard output as it is (GBK bytes) and flushes.
  virtual void Print(const std::string& text) = 0;

  // ---- Process table -----------------------------------------------------

  // Lists at most `capacity` process identifiers (EnumProcesses).  False
  // when the list cannot be had.
  virtual bool EnumProcesses(size_t capacity, std::vector<uint32_t>* ids) = 0;

  // The base name of the first module of process `pid`, at most `capacity`
  // - 1 characters; nullopt when the process cannot be opened or its
  // modules cannot be listed.
  virtual std::optional<std::string> ProcessBaseName(uint32_t pid,
                                                     size_t capacity) = 0;

  // ---- Autostart ---------------------------------------------------------

  // Sets the string value `name` of the machine's autostart list (the Run
  // key).  False, with nothing written, when the list cannot be opened.
  virtual bool SetAutostartValue(const std::string& name,
                                 const std::string& data) = 0;

  // Reads back a value set by SetAutostartValue; nullopt when absent.
  virtual std::optional<std::string> AutostartValue(
      const std::string& name) = 0;

  // ---- Profile strings ---------------------------------------------------

  // The largest settings file the Linux layer reads: far above any real
  // one, small enough that a hostile one cannot exhaust memory.
  static constexpr size_t kProfileFileLimit = 4u << 20;

  // GetPrivateProfileStringA(section, key, default, buffer of `size`,
  // file): what the buffer holds, at most size - 1 bytes.  A missing file,
  // section or key gives the default (cut the same way); so does, on
  // Linux, a file that is no regular file or is over kProfileFileLimit.
  // A file in UTF-16 with its byte order mark reads as on Windows: as
  // text of the ANSI code page.
  virtual std::string GetProfileText(const std::string& section,
                                     const std::string& key,
                                     const std::string& default_value,
                                     size_t size,
                                     const std::string& file) = 0;

  // WritePrivateProfileStringA(section, key, value, file): the key's line
  // replaced or added, every other line kept; a missing file is created
  // (its folder must exist).  The new file replaces the old one whole, so
  // a reader sees the old or the new content, never a torn one.  False
  // when it cannot be written; the old file is then unchanged.  A UTF-16
  // file stays UTF-16.
  virtual bool WriteProfileText(const std::string& section,
                                const std::string& key,
                                const std::string& value,
                                const std::string& file) = 0;

  // ---- Files -------------------------------------------------------------

  // The bytes of a regular file of at most `max_bytes` bytes; nullopt when
  // it cannot be read, is longer, or is no regular file (a pipe or a
  // device such as /dev/zero could block the reader or never end).
  virtual std::optional<std::string> ReadWholeFile(const std::string& path,
                                                   size_t max_bytes) = 0;

  // Replaces a file's content whole with `bytes` (no text-mode
  // conversion): written to a temporary file in the same folder, then
  // renamed over the old one.  False, with the old file unchanged, when
  // that fails.
  virtual bool WriteWholeFile(const std::string& path,
                              const std::string& bytes) = 0;

  virtual bool FileExists(const std::string& path) = 0;

  // ---- Ports -------------------------------------------------------------

  // Finds the process that holds local TCP port `port` over IPv4: the
  // first row of the system's TCP table, in its order and of any state,
  // whose local port matches.  Returns 0 with *pid set when a row matched
  // (left as it was otherwise, also when the table cannot be read), or 1
  // when the table's library cannot be had at all.
  virtual int FindPortOwner(int port, uint32_t* pid) = 0;

  // Ends process `pid` unless its program is "httpd.exe" (without regard
  // to case), which is left running.  Returns 0 when ended, spared or
  // already gone; 3 when a step failed (no right to end it, or it is this
  // process or the system's first one, which are never ended).
  virtual int TerminatePortOwner(uint32_t pid) = 0;

  // ---- Time and chance ---------------------------------------------------

  // time(): the current time in whole seconds.
  virtual int64_t Time() = 0;
  // srand() and rand() of the C runtime: the same seed gives the same
  // draws; rand() gives 0 to 32767 at least.
  virtual void SRand(unsigned seed) = 0;
  virtual int Rand() = 0;

  // ---- Network -----------------------------------------------------------

  // The machine's LAN address as dotted text ("%d.%d.%d.%d" of its four
  // bytes in memory order): on Windows the first address the resolver
  // gives for the machine's own host name (gethostname, gethostbyname),
  // which lists its adapters' addresses; on Linux the first IPv4 address of
  // an interface that is up and not loopback, in the order getifaddrs
  // lists them, or "127.0.0.1" when there is none.  Empty when the name or
  // the interface list cannot be had.
  virtual std::string LocalIpv4Address() = 0;

  // ---- HTTP --------------------------------------------------------------

  // GET `url` with user agent `agent`: redirects followed, compressed and
  // chunked bodies decoded, the proxy the system is set up with, nothing
  // cached.  *body gets at most `max_bytes` bytes of the body, whatever the
  // HTTP status; reading stops there.  On any failure *body is empty.
  virtual HttpResult HttpGet(const std::string& url, const std::string& agent,
                             size_t max_bytes, std::string* body,
                             const HttpOptions& options) = 0;

  // Downloads `url` into the file `path`.  True only when the server
  // answered with a 2xx status and the whole body, of at most `max_bytes`
  // bytes, was stored; otherwise false, and no file of a failed download
  // is left at `path` (a longer body is given up as soon as it is longer,
  // so an endless answer cannot fill the disk).  A stored file can be run
  // as a program, as any file can on Windows: the posix layer creates it
  // with mode 0755 (less the umask).
  virtual bool DownloadToFile(const std::string& url, const std::string& path,
                              uint64_t max_bytes,
                              const HttpOptions& options) = 0;

  // ---- Updater's shell ---------------------------------------------------

  // MessageBoxW: the GBK texts shown as wide text.  Answers as
  // ShowMessageBox does.
  virtual int ShowMessageBoxW(const std::string& text,
                              const std::string& caption, uint32_t type) = 0;

  // ShellExecuteW with the default verb: opens `address` in the browser.
  // False when nothing could be opened.
  virtual bool ShellOpenW(const std::string& address) = 0;

  // The root of the first logical drive (GetLogicalDriveStringsW), ending
  // in a separator; empty when the list is empty.  On Linux, where /tmp is
  // shared by every user, it is $TMPDIR only when that folder is private
  // (see IsPrivateFolder); otherwise a private folder of the user's own
  // (mode 0700), made when missing; empty when there is none to be had.
  virtual std::string FirstLogicalDrive() = 0;

  // Whether `path` is a folder no other user can change or swap: not a
  // link, and on Linux owned by this user, writable by no one else, and
  // inside folders that no other user can change either (a sticky folder
  // such as /tmp counts as such).  On Windows a folder that is not a link
  // (reparse point); its permissions are the system's.
  virtual bool IsPrivateFolder(const std::string& path) = 0;

  // An environment variable; nullopt when it is not set.
  virtual std::optional<std::string> EnvironmentVariable(
      const std::string& name) = 0;

  // ---- User interface ----------------------------------------------------

  // InitCommonControlsEx with the given structure size and class set.
  virtual bool InitCommonControls(uint32_t size, uint32_t classes) = 0;

  // Loads icon resource `id` of the program at the standard size.  Returns
  // 0 when there is no such icon.
  virtual IconHandle LoadIconResource(int id) = 0;

  // Shell_NotifyIconA with `message` (kNimAdd, kNimModify, kNimDelete).
  virtual bool NotifyIcon(uint32_t message, const NotifyIconData& data) = 0;

  // MessageBoxA: `type` combines a button set and an icon (mb::).  Returns
  // the button chosen (id::kOk, id::kCancel).
  virtual int ShowMessageBox(WindowHandle owner, const std::string& text,
                             const std::string& caption, uint32_t type) = 0;

  // Creates the modeless dialog of template `template_id`, with no parent,
  // hidden unless the template says otherwise, and sends it its
  // initialisation (host->OnInitDialog) before returning.  Returns 0 when
  // the window cannot be created.
  virtual WindowHandle CreateDialogWindow(int template_id,
                                          WindowHost* host) = 0;

  // Destroys a window made by CreateDialogWindow; the host is told
  // (OnDestroy) and the message loop ends when it was the main window.
  virtual void DestroyDialogWindow(WindowHandle window) = 0;

  // Runs the message loop until the main window is destroyed or the
  // program is told to end; told to end (on Linux SIGINT or SIGTERM), the
  // main window first hears WM_CLOSE.  Returns the exit code.  The Linux
  // console reads its commands here (see posix/console_loop.h).
  virtual int RunMessageLoop(WindowHandle main_window) = 0;

  // Painting of a minimised window: whether `window` is minimised, its
  // client size, the system's icon size, and drawing `icon` at (x, y)
  // after erasing the icon background.
  virtual bool IsIconic(WindowHandle window) = 0;
  virtual void ClientSize(WindowHandle window, int* width, int* height) = 0;
  virtual void IconMetrics(int* cx, int* cy) = 0;
  virtual void DrawMinimizedIcon(WindowHandle window, IconHandle icon, int x,
                                 int y) = 0;

  // Sets the window's big and small icons.
  virtual void SetWindowIcons(WindowHandle window, IconHandle icon) = 0;

  // ---- Concerns with interfaces of their own -----------------------------
  // Each lives as long as the Env.

  virtual MenuUi& Menus() = 0;        // platform/menu_ui.h
  virtual DialogUi& Dialogs() = 0;    // platform/dialog_ui.h
  virtual ShellOpen& Shell() = 0;     // platform/shell_open.h
};

// What a window of the framework hears from the platform.  Calls arrive on
// the thread that runs the message loop.
class WindowHost {
 public:
  virtual ~WindowHost() = default;
  // WM_INITDIALOG; `window` is already valid.  The result is the dialog
  // procedure's.
  virtual bool OnInitDialog(WindowHandle window) = 0;
  // Any other message.  Returns true when handled, with *result set.
  virtual bool OnMessage(uint32_t message, uintptr_t wparam, intptr_t lparam,
                         intptr_t* result) = 0;
  // The window is gone; no more calls follow.
  virtual void OnDestroy() = 0;
};

// The Env of the platform the program was built for.  Owned by the caller.
Env* NewPlatformEnv();

}  // namespace platform

#endif  // BRAMO_PLATFORM_ENV_H_
