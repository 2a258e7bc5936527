// The Windows implementation of Env: the real Win32 API, for the 32-bit
// build made with mingw-w64.  Texts are passed to the "A" functions as they
// are, so GBK bytes reach Windows unchanged.
//
// <windows.h> is included only by the .cc files: several of its names are
// macros (EnumProcesses, MessageBox, LoadIcon...), and this header must
// declare the same Env everywhere.  Each concern is implemented in its own
// file (win32_env.cc, programs_win32.cc, process_table_win32.cc,
// autostart_win32.cc, shell_ui_win32.cc, dialog_win32.cc, ...).
//
// BRAMO_PAUSE_SCALE (a decimal factor, default 1) scales every pause, as
// on Linux, for the end-to-end tests under Wine.
#ifndef BRAMO_PLATFORM_WIN32_WIN32_ENV_H_
#define BRAMO_PLATFORM_WIN32_WIN32_ENV_H_

#include <mutex>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/win32/dialog_ui_win32.h"
#include "platform/win32/menu_ui_win32.h"
#include "platform/win32/shell_open_win32.h"

namespace platform {

class Win32Env : public Env {
 public:
  Win32Env();
  ~Win32Env() override;

  // ---- Module and rights (win32_env.cc) ----------------------------------
  std::string ModulePath(size_t capacity) override;
  bool IsAdministrator(uint32_t* error) override;
  bool RelaunchElevated(const std::string& program) override;
  void ExitProcess(int code) override;

  // ---- Time (win32_env.cc) -----------------------------------------------
  void Sleep(uint32_t ms) override;

  // ---- Programs and console (programs_win32.cc) --------------------------
  unsigned WinExec(const std::string& command_line) override;
  int System(const std::string& command) override;
  int RunCommandCaptured(const std::string& command_line, std::string* output,
                         std::string* errors, int* exit_code,
                         uint32_t* error) override;
  int RunCommandCapturedFor(const std::string& command_line, uint32_t limit_ms,
                            std::string* output, std::string* errors,
                            int* exit_code, uint32_t* error) override;
  void Print(const std::string& text) override;

  // ---- Process table (process_table_win32.cc) ----------------------------
  bool EnumProcesses(size_t capacity, std::vector<uint32_t>* ids) override;
  std::optional<std::string> ProcessBaseName(uint32_t pid,
                                             size_t capacity) override;

  // ---- Autostart (autostart_win32.cc) ------------------------------------
  bool SetAutostartValue(const std::string& name,
                         const std::string& data) override;
  std::optional<std::string> AutostartValue(const std::string& name) override;

  // ---- Profile strings and files (profile_win32.cc) ----------------------
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

  // ---- Ports, time and chance (ports_win32.cc) ---------------------------
  int FindPortOwner(int port, uint32_t* pid) override;
  int TerminatePortOwner(uint32_t pid) override;
  int64_t Time() override;
  void SRand(unsigned seed) override;
  int Rand() override;

  // ---- HTTP (http_win32.cc) ----------------------------------------------
  std::string LocalIpv4Address() override;
  HttpResult HttpGet(const std::string& url, const std::string& agent,
                     size_t max_bytes, std::string* body,
                     const HttpOptions& options) override;
  bool DownloadToFile(const std::string& url, const std::string& path,
                      uint64_t max_bytes, const HttpOptions& options) override;

  // ---- Updater's shell (updater_shell_win32.cc) --------------------------
  int ShowMessageBoxW(const std::string& text, const std::string& caption,
                      uint32_t type) override;
  bool ShellOpenW(const std::string& address) override;
  std::string FirstLogicalDrive() override;
  bool IsPrivateFolder(const std::string& path) override;
  bool IsVendorInstaller(const std::string& path, const std::string& address,
                         const std::string& key_path) override;
  std::optional<std::string> EnvironmentVariable(
      const std::string& name) override;

  // ---- User interface (shell_ui_win32.cc, dialog_win32.cc) ---------------
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

  // ---- Concerns of their own (menu_ui_win32.cc, dialog_ui_win32.cc,
  // shell_open_win32.cc) ---------------------------------------------------
  MenuUi& Menus() override { return menus_; }
  DialogUi& Dialogs() override { return dialogs_; }
  ShellOpen& Shell() override { return shell_; }

  // Called by the dialog procedure when one of our windows is destroyed.
  void ForgetWindow(WindowHandle window);

 private:
  std::mutex console_mu_;  // one Print at a time

  // The dialogs made by CreateDialogWindow that still exist, and the one
  // whose destruction ends the message loop.  Used on the thread that
  // owns the windows.
  std::mutex windows_mu_;
  std::vector<WindowHandle> windows_;
  WindowHandle main_window_ = 0;

  Win32MenuUi menus_;
  Win32DialogUi dialogs_;
  Win32ShellOpen shell_;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_WIN32_WIN32_ENV_H_
