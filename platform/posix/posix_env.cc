#include "platform/posix/posix_env.h"

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/common/folder_ops.h"
#include "platform/common/native_path.h"
#include "platform/common/pause_scale.h"
#include "platform/posix/console_box.h"
#include "platform/posix/console_loop.h"
#include "platform/posix/console_text.h"
#include "platform/posix/desktop_entry.h"
#include "platform/posix/linux_name.h"
#include "platform/posix/spawn.h"
#include "platform/posix/system_file.h"
#include "platform/thread_stop.h"

namespace platform {
namespace {

std::string ReadProcFile(const std::string& path) {
  return ReadSystemFile(path).value_or("");
}

// Console lines go straight to stdio: the tray's and the boxes' lines
// keep their order with everything else printed.
void WriteOut(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

PosixEnv::PosixEnv() {
  // One malloc arena for the few threads of these programs: each arena of
  // its own would hold on to pages of its thread's passing allocations.
  // And what start-up frees at the heap's top goes back to the system
  // rather than staying, up to 128 kB of it, for the rest of the run.
  mallopt(M_ARENA_MAX, 1);
  mallopt(M_TRIM_THRESHOLD, 16 * 1024);
  mallopt(M_TOP_PAD, 16 * 1024);
  PrepareConsole();
}
PosixEnv::~PosixEnv() = default;

std::string PosixEnv::ModulePath(size_t capacity) {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf);
  if (n <= 0 || static_cast<size_t>(n) + 1 > capacity) return "";
  return FromLinuxName(std::string(buf, static_cast<size_t>(n)));
}

bool PosixEnv::IsAdministrator(uint32_t* error) {
  *error = 0;
  return geteuid() == 0;
}

bool PosixEnv::RelaunchElevated(const std::string&) {
  // There is no elevation prompt to ask on Linux; start-up goes on as it
  // does when the user refuses one.
  return false;
}

void PosixEnv::ExitProcess(int code) {
  std::fflush(nullptr);
  std::_Exit(code);
}

void PosixEnv::Sleep(uint32_t ms) {
  StopPoint();
  PauseThisThread(ScaledPause(ms));
}

unsigned PosixEnv::WinExec(const std::string& command_line) {
  StopPoint();
  return PosixWinExec(ToLinuxText(command_line), NativeProgramFolder());
}

int PosixEnv::System(const std::string& command) {
  StopPoint();
  std::fflush(nullptr);
  return PosixSystem(ToLinuxText(command), NativeProgramFolder());
}

void PosixEnv::Print(const std::string& text) {
  std::lock_guard<std::mutex> lock(console_mu_);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

bool PosixEnv::EnumProcesses(size_t capacity, std::vector<uint32_t>* ids) {
  ids->clear();
  DIR* dir = opendir("/proc");
  if (dir == nullptr) return false;
  while (struct dirent* entry = readdir(dir)) {
    char* end = nullptr;
    unsigned long pid = std::strtoul(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0') continue;
    if (ids->size() == capacity) break;
    ids->push_back(static_cast<uint32_t>(pid));
  }
  closedir(dir);
  return true;
}

std::optional<std::string> PosixEnv::ProcessBaseName(uint32_t pid,
                                                     size_t capacity) {
  std::string proc = "/proc/" + std::to_string(pid);
  // A zombie has no program any more; it counts as a process that cannot
  // be opened.
  std::string stat = ReadProcFile(proc + "/stat");
  size_t paren = stat.rfind(')');
  if (stat.empty() || paren == std::string::npos || paren + 2 >= stat.size() ||
      stat[paren + 2] == 'Z') {
    return std::nullopt;
  }
  char buf[4096];
  ssize_t n = readlink((proc + "/exe").c_str(), buf, sizeof buf);
  if (n <= 0) return std::nullopt;
  std::string path(buf, static_cast<size_t>(n));
  const std::string deleted = " (deleted)";
  if (path.size() > deleted.size() &&
      path.compare(path.size() - deleted.size(), deleted.size(), deleted) ==
          0) {
    path.resize(path.size() - deleted.size());
  }
  std::string base = path.substr(path.rfind('/') + 1);
  return base.substr(0, capacity - 1);
}

std::string PosixEnv::AutostartFile(const std::string& name) const {
  std::string root;
  // A relative XDG_CONFIG_HOME is to be ignored, says the freedesktop
  // base-directory rule.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    root = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    root = std::string(home) + "/.config";
  } else {
    return "";
  }
  std::string lower;
  for (char c : name) lower += static_cast<char>(std::tolower(c));
  return root + "/autostart/" + lower + ".desktop";
}

bool PosixEnv::SetAutostartValue(const std::string& name,
                                 const std::string& data) {
  std::string file = AutostartFile(name);
  if (file.empty()) return false;
  MakeFolderTree(file.substr(0, file.rfind('/')));
  // The value is a quoted Windows path; Exec= wants the Linux one, quoted
  // and escaped by the desktop entry format's rules.
  std::string program = data;
  if (program.size() >= 2 && program.front() == '"' && program.back() == '"') {
    program = program.substr(1, program.size() - 2);
  }
  std::string entry = "[Desktop Entry]\nType=Application\nName=" + name +
                      "\nExec=" + DesktopExecValue(ToLinuxName(program)) +
                      "\nX-GNOME-Autostart-enabled=true\n";
  std::string temp = file + ".tmp";
  bool written = false;
  if (FILE* out = std::fopen(temp.c_str(), "wb")) {
    written = std::fwrite(entry.data(), 1, entry.size(), out) == entry.size();
    written = std::fclose(out) == 0 && written;
  }
  // A rename that fails (a folder in the entry's place) must not leave
  // the temporary file behind in the user's autostart folder.
  if (written && std::rename(temp.c_str(), file.c_str()) == 0) return true;
  std::remove(temp.c_str());
  return false;
}

std::optional<std::string> PosixEnv::AutostartValue(const std::string& name) {
  std::string file = AutostartFile(name);
  if (file.empty()) return std::nullopt;
  std::optional<std::string> entry = ReadSystemFile(file);
  if (!entry) return std::nullopt;
  for (size_t at = 0; at < entry->size();) {
    size_t end = std::min(entry->find('\n', at), entry->size());
    std::string line = entry->substr(at, end - at);
    at = end + 1;
    if (line.rfind("Exec=", 0) != 0) continue;
    std::optional<std::string> program = DesktopExecProgram(line.substr(5));
    if (!program) return std::nullopt;
    return "\"" + FromLinuxName(*program) + "\"";
  }
  return std::nullopt;
}

bool PosixEnv::InitCommonControls(uint32_t, uint32_t) {
  return true;  // the console front end has no controls to register
}

IconHandle PosixEnv::LoadIconResource(int id) {
  return std::string(IconRoleName(id)) == "unknown" ? 0 : id;
}

bool PosixEnv::NotifyIcon(uint32_t message, const NotifyIconData& data) {
  StopPoint();
  const char* verb = message == kNimAdd      ? "add"
                     : message == kNimModify ? "modify"
                                             : "delete";
  std::string tip(data.szTip, strnlen(data.szTip, sizeof data.szTip));
  std::lock_guard<std::mutex> lock(console_mu_);
  if (message == kNimAdd) {
    tray_window_ = data.hWnd;
    tray_id_ = data.uID;
    tray_message_ = data.uCallbackMessage;
  } else if (message == kNimDelete) {
    tray_window_ = 0;
  }
  WriteOut(std::string("[tray] ") + verb + ' ' +
           IconRoleName(static_cast<int>(data.hIcon)) + " \"" +
           OneLine(GbkToUtf8(tip)) + "\"\n");
  return true;
}

int PosixEnv::ShowMessageBox(WindowHandle, const std::string& text,
                             const std::string& caption, uint32_t type) {
  const bool ok_cancel = (type & mb::kButtonMask) == mb::kOkCancel;
  std::lock_guard<std::mutex> lock(console_mu_);
  WriteOut("[box] " + GbkToUtf8(caption) + ": " + GbkToUtf8(text) + "\n[box] " +
           (ok_cancel ? "ok/cancel (default ok)? " : "ok? "));
  return ReadBoxAnswer(stdin, stdout, ok_cancel);
}

WindowHandle PosixEnv::CreateDialogWindow(int, WindowHost* host) {
  // From the first window on, a stop signal ends the program through its
  // main window, as the exit command does.
  CatchStopSignals();
  WindowHandle window;
  {
    std::lock_guard<std::mutex> lock(windows_mu_);
    window = next_window_++;
    windows_[window] = host;
  }
  // A stop signal during the start sequence cuts it short at its next
  // step (a pause or a lookup under way ends at once); the message loop
  // then sends WM_CLOSE, and the exit command ends what it had started.
  HttpCancel start_stop;
  {
    StopSignalCancels cancels(&start_stop);
    ThreadStopScope scope(&start_stop);
    try {
      host->OnInitDialog(window);
    } catch (const ThreadStopped&) {
      ConsoleLines({"[console] stop signal: start-up cut short"});
    }
  }
  return window;
}

void PosixEnv::DestroyDialogWindow(WindowHandle window) {
  WindowHost* host = nullptr;
  {
    std::lock_guard<std::mutex> lock(windows_mu_);
    auto it = windows_.find(window);
    if (it == windows_.end()) return;
    host = it->second;
    windows_.erase(it);
  }
  host->OnDestroy();
  WakeConsole();
}

bool PosixEnv::IsIconic(WindowHandle) { return false; }

void PosixEnv::ClientSize(WindowHandle, int* width, int* height) {
  *width = 0;
  *height = 0;
}

void PosixEnv::IconMetrics(int* cx, int* cy) {
  *cx = 32;
  *cy = 32;
}

// The console front end shows no window, so there is never a minimised
// one to paint or a title bar to carry icons.
void PosixEnv::DrawMinimizedIcon(WindowHandle, IconHandle, int, int) {}
void PosixEnv::SetWindowIcons(WindowHandle, IconHandle) {}

Env* NewPlatformEnv() { return new PosixEnv(); }

}  // namespace platform
