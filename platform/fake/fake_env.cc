#include "platform/fake/fake_env.h"

#include "platform/common/shell_verbs.h"
#include "platform/thread_stop.h"

#include <cstdio>
#include <cstring>
#include <thread>

namespace platform {

std::string TraceText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '"') {
      out += "\\\"";
    } else {
      out += c;
    }
  }
  return out;
}

FakeEnv::FakeEnv() = default;
FakeEnv::~FakeEnv() {
  std::unique_lock<std::mutex> lock(mu_);
  trace_grew_.wait(lock, [this] { return resolving_ == 0; });
}

void FakeEnv::Record(const std::string& line) {
  bool held;
  {
    std::lock_guard<std::mutex> lock(mu_);
    trace_.push_back(line);
    held = held_lines.count(line) != 0;
  }
  trace_grew_.notify_all();
  if (held) HoldWhile([&] { return held_lines.count(line) != 0; });
}

void FakeEnv::HoldWhile(const std::function<bool()>& held) {
  std::unique_lock<std::mutex> lock(mu_);
  if (!held()) return;
  ++held_waiting_;
  trace_grew_.notify_all();
  trace_grew_.wait_for(lock, std::chrono::milliseconds(kHeldMs),
                       [&] { return !held(); });
  --held_waiting_;
  trace_grew_.notify_all();
}

int FakeEnv::held_now() const {
  std::lock_guard<std::mutex> lock(mu_);
  return held_waiting_;
}

void FakeEnv::Release(const std::string& line) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    held_lines.erase(line);
  }
  trace_grew_.notify_all();
}

void FakeEnv::ReleaseHeld() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    held_lines.clear();
    local_ip_hangs = false;
  }
  trace_grew_.notify_all();
}

bool FakeEnv::AwaitTrace(const std::string& line, size_t times,
                         uint32_t timeout_ms) {
  std::unique_lock<std::mutex> lock(mu_);
  return trace_grew_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
    size_t seen = 0;
    for (const std::string& recorded : trace_) seen += recorded == line;
    return seen >= times;
  });
}

bool FakeEnv::AwaitHeldPause(uint32_t timeout_ms) {
  std::unique_lock<std::mutex> lock(mu_);
  return trace_grew_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                              [&] { return held_waiting_ > 0; });
}

std::vector<std::string> FakeEnv::trace() const {
  std::lock_guard<std::mutex> lock(mu_);
  return trace_;
}

void FakeEnv::ClearTrace() {
  std::lock_guard<std::mutex> lock(mu_);
  trace_.clear();
}

std::vector<std::string> FakeEnv::TraceStartingWith(
    const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& line : trace()) {
    if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
  }
  return out;
}

uint64_t FakeEnv::now_ms() const {
  std::lock_guard<std::mutex> lock(mu_);
  return now_ms_;
}

std::map<uint32_t, std::string> FakeEnv::tray_icons() const {
  std::lock_guard<std::mutex> lock(mu_);
  return tray_;
}

std::optional<int> FakeEnv::exit_code() const {
  std::lock_guard<std::mutex> lock(mu_);
  return exit_code_;
}

std::string FakeEnv::ModulePath(size_t capacity) {
  if (module_path.size() + 1 > capacity) return "";
  return module_path;
}

bool FakeEnv::IsAdministrator(uint32_t* error) {
  if (admin_check_error != 0) {
    *error = admin_check_error;
    return false;
  }
  *error = 0;
  return administrator;
}

bool FakeEnv::RelaunchElevated(const std::string& program) {
  Record("relaunch " + program);
  return relaunch_accepted;
}

void FakeEnv::ExitProcess(int code) {
  Record("exit " + std::to_string(code));
  std::lock_guard<std::mutex> lock(mu_);
  exit_code_ = code;
}

void FakeEnv::Sleep(uint32_t ms) {
  StopPoint();
  Record("sleep " + std::to_string(ms));
  {
    std::lock_guard<std::mutex> lock(mu_);
    now_ms_ += ms;
  }
  HttpCancel* stop = CurrentThreadStop();
  if (stop == nullptr) return;
  bool held;
  {
    std::lock_guard<std::mutex> lock(mu_);
    held = held_pauses.count(ms) != 0;
    held_waiting_ += held;
  }
  if (!held) {
    StopPoint();
    return;
  }
  trace_grew_.notify_all();
  // A held pause lasts until the stop (or, should a test forget it, a
  // while of real time).
  bool ran_out = stop->WaitFor(kHeldMs);
  {
    std::lock_guard<std::mutex> lock(mu_);
    --held_waiting_;
  }
  if (!ran_out) throw ThreadStopped();
  StopPoint();
}

unsigned FakeEnv::WinExec(const std::string& command_line) {
  StopPoint();
  Record("exec " + command_line);
  return 33;
}

int FakeEnv::System(const std::string& command) {
  StopPoint();
  Record("system " + command);
  if (system_runs_verbs) {
    if (std::optional<int> status = RunShellVerb(command)) return *status;
  }
  std::lock_guard<std::mutex> lock(mu_);
  if (system_results.empty()) return 0;
  int status = system_results.front();
  system_results.pop_front();
  return status;
}

void FakeEnv::Print(const std::string& text) {
  Record("print \"" + TraceText(text) + "\"");
}

bool FakeEnv::EnumProcesses(size_t capacity, std::vector<uint32_t>* ids) {
  ids->clear();
  if (enum_processes_fails) return false;
  for (const Process& p : processes) {
    if (ids->size() == capacity) break;
    ids->push_back(p.pid);
  }
  return true;
}

std::optional<std::string> FakeEnv::ProcessBaseName(uint32_t pid,
                                                    size_t capacity) {
  for (const Process& p : processes) {
    if (p.pid != pid) continue;
    if (!p.name) return std::nullopt;
    return p.name->substr(0, capacity - 1);
  }
  return std::nullopt;
}

bool FakeEnv::SetAutostartValue(const std::string& name,
                                const std::string& data) {
  if (!autostart_available) return false;
  Record("autostart " + name + "=" + data);
  std::lock_guard<std::mutex> lock(mu_);
  autostart_[name] = data;
  return true;
}

std::optional<std::string> FakeEnv::AutostartValue(const std::string& name) {
  std::lock_guard<std::mutex> lock(mu_);
  auto it = autostart_.find(name);
  if (it == autostart_.end()) return std::nullopt;
  return it->second;
}

bool FakeEnv::InitCommonControls(uint32_t size, uint32_t classes) {
  char line[64];
  std::snprintf(line, sizeof line, "initcc %u 0x%x", size, classes);
  Record(line);
  return true;
}

IconHandle FakeEnv::LoadIconResource(int id) {
  return std::string(IconRoleName(id)) == "unknown" ? 0 : id;
}

bool FakeEnv::NotifyIcon(uint32_t message, const NotifyIconData& data) {
  StopPoint();
  // The tooltip is read as Windows reads it: up to the first zero byte of
  // the 128-byte field.
  std::string tip(data.szTip, strnlen(data.szTip, sizeof data.szTip));
  const char* role = IconRoleName(static_cast<int>(data.hIcon));
  const std::string verb = message == kNimAdd      ? "add"
                           : message == kNimModify ? "modify"
                                                   : "delete";
  // The shell refuses a record whose size it does not know, without a
  // word; the controller's is always the full one.
  bool ok = data.cbSize == 508;
  if (ok) {
    std::lock_guard<std::mutex> lock(mu_);
    auto it = tray_.find(data.uID);
    if (message == kNimAdd) {
      ok = it == tray_.end();
      if (ok) tray_[data.uID] = tip;
    } else if (message == kNimModify) {
      ok = it != tray_.end();
      if (ok) it->second = tip;
    } else {
      ok = it != tray_.end();
      if (ok) tray_.erase(it);
    }
  }
  Record("tray " + verb + " " + role + " \"" + TraceText(tip) + "\"" +
         (ok ? "" : " (failed)"));
  return ok;
}

int FakeEnv::ShowMessageBox(WindowHandle, const std::string& text,
                            const std::string& caption, uint32_t type) {
  const char* icon = "none";
  switch (type & mb::kIconMask) {
    case mb::kIconError:
      icon = "error";
      break;
    case mb::kIconQuestion:
      icon = "question";
      break;
    case mb::kIconWarning:
      icon = "warning";
      break;
    case mb::kIconInformation:
      icon = "information";
      break;
  }
  const bool ok_cancel = (type & mb::kButtonMask) == mb::kOkCancel;
  Record(std::string("msgbox ") + icon + (ok_cancel ? " okcancel" : " ok") +
         " \"" + TraceText(caption) + "\" \"" + TraceText(text) + "\"");
  std::lock_guard<std::mutex> lock(mu_);
  if (message_box_answers.empty()) return id::kOk;
  int answer = message_box_answers.front();
  message_box_answers.pop_front();
  return answer;
}

WindowHandle FakeEnv::CreateDialogWindow(int template_id, WindowHost* host) {
  Record("dialog create " + std::to_string(template_id));
  if (dialog_creation_fails) return 0;
  WindowHandle window;
  {
    std::lock_guard<std::mutex> lock(mu_);
    window = next_window_++;
    windows_[window] = host;
  }
  host->OnInitDialog(window);
  return window;
}

void FakeEnv::DestroyDialogWindow(WindowHandle window) {
  WindowHost* host = nullptr;
  {
    std::lock_guard<std::mutex> lock(mu_);
    auto it = windows_.find(window);
    if (it == windows_.end()) return;
    host = it->second;
    windows_.erase(it);
  }
  Record("dialog destroy");
  host->OnDestroy();
}

bool FakeEnv::SendToWindow(WindowHandle window, uint32_t message,
                           uintptr_t wparam, intptr_t lparam,
                           intptr_t* result) {
  WindowHost* host = nullptr;
  {
    std::lock_guard<std::mutex> lock(mu_);
    auto it = windows_.find(window);
    if (it == windows_.end()) return false;
    host = it->second;
  }
  return host->OnMessage(message, wparam, lparam, result);
}

int FakeEnv::RunMessageLoop(WindowHandle) {
  // Tests drive the window themselves; the loop has nothing to wait for.
  Record("loop");
  return 0;
}

bool FakeEnv::IsIconic(WindowHandle) { return iconic; }

void FakeEnv::ClientSize(WindowHandle, int* width, int* height) {
  *width = client_width;
  *height = client_height;
}

void FakeEnv::IconMetrics(int* cx, int* cy) {
  *cx = 32;
  *cy = 32;
}

void FakeEnv::DrawMinimizedIcon(WindowHandle, IconHandle icon, int x, int y) {
  Record("paint icon " + std::string(IconRoleName(static_cast<int>(icon))) +
         " " + std::to_string(x) + "," + std::to_string(y));
}

void FakeEnv::SetWindowIcons(WindowHandle, IconHandle icon) {
  Record("window icons " + std::string(IconRoleName(static_cast<int>(icon))));
}

}  // namespace platform
