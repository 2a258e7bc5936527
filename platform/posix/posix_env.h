// The Linux implementation of Env.  Programs are real processes, the
// process list comes from /proc, the autostart value is a freedesktop
// autostart entry, and the tray and message boxes are a console front end:
// tray changes print one line each (UTF-8), a message box prints its text
// and reads its answer as one line from standard input, and the message
// loop reads the console's commands (console_loop.h).
//
// BRAMO_PAUSE_SCALE (a decimal factor, default 1) scales every pause, for
// tests and demonstrations of the real programs.
#ifndef BRAMO_PLATFORM_POSIX_POSIX_ENV_H_
#define BRAMO_PLATFORM_POSIX_POSIX_ENV_H_

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/posix/dialog_ui_posix.h"
#include "platform/posix/menu_ui_posix.h"
#include "platform/posix/shell_open_posix.h"

namespace platform {

class PosixEnv : public Env {
 public:
  PosixEnv();
  ~PosixEnv() override;

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
  bool WriteShortLivedFile(const std::string& path,
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
  MenuUi& Menus() override { return menus_; }
  DialogUi& Dialogs() override { return dialogs_; }
  ShellOpen& Shell() override { return shell_; }

  // For the concerns of their own: a message to a window made by
  // CreateDialogWindow (false when it is gone or did not handle it), GBK
  // lines printed as UTF-8, and the lock of the console.
  bool SendToWindow(WindowHandle window, uint32_t message, uintptr_t wparam,
                    intptr_t lparam, intptr_t* result);
  void ConsoleLines(const std::vector<std::string>& gbk_lines);
  std::mutex& console_mutex() { return console_mu_; }

 private:
  // One command line of the console (console_loop.h).
  void RunConsoleCommand(WindowHandle main_window, const std::string& line);
  bool HasWindow(WindowHandle window);

  std::string AutostartFile(const std::string& name) const;

  std::mutex console_mu_;  // one tray line or box at a time
  std::mutex windows_mu_;
  std::map<WindowHandle, WindowHost*> windows_;
  WindowHandle next_window_ = 1;
  // The tray icon the console's "menu" and "open" stand for (under
  // console_mu_); no window while there is none.
  WindowHandle tray_window_ = 0;
  uint32_t tray_id_ = 0;
  uint32_t tray_message_ = 0;

  PosixMenuUi menus_{this};
  PosixDialogUi dialogs_{this};
  PosixShellOpen shell_{this};
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_POSIX_POSIX_ENV_H_
