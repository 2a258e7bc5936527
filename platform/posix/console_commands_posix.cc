// The message loop of the Linux console: commands from standard input
// reach the windows as the tray icon and its popup would send them.
#include <cstdio>
#include <cstdlib>

#include "platform/posix/console_loop.h"
#include "platform/posix/console_text.h"
#include "platform/posix/posix_env.h"
#include "platform/thread_stop.h"

namespace platform {
namespace {

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

bool ParseCommandId(const std::string& text, int* id) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  *id = static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
  return *id > 0 && *id <= 0xFFFF;
}

}  // namespace

bool PosixEnv::HasWindow(WindowHandle window) {
  std::lock_guard<std::mutex> lock(windows_mu_);
  return windows_.count(window) != 0;
}

bool PosixEnv::SendToWindow(WindowHandle window, uint32_t message,
                            uintptr_t wparam, intptr_t lparam,
                            intptr_t* result) {
  WindowHost* host = nullptr;
  {
    std::lock_guard<std::mutex> lock(windows_mu_);
    auto it = windows_.find(window);
    if (it == windows_.end()) return false;
    host = it->second;
  }
  return host->OnMessage(message, wparam, lparam, result);
}

void PosixEnv::ConsoleLines(const std::vector<std::string>& gbk_lines) {
  std::lock_guard<std::mutex> lock(console_mu_);
  for (const std::string& line : gbk_lines) {
    const std::string text = GbkToUtf8(line) + '\n';
    std::fwrite(text.data(), 1, text.size(), stdout);
  }
  std::fflush(stdout);
}

void PosixEnv::RunConsoleCommand(WindowHandle main_window,
                                 const std::string& typed) {
  const std::string line = Trim(typed);
  if (line.empty()) return;
  intptr_t result = 0;
  int id = 0;
  if (line == "menu" || line == "open") {
    WindowHandle window;
    uint32_t icon, callback;
    {
      std::lock_guard<std::mutex> lock(console_mu_);
      window = tray_window_;
      icon = tray_id_;
      callback = tray_message_;
    }
    if (window == 0) {
      ConsoleLines({"[console] there is no tray icon"});
      return;
    }
    SendToWindow(window, callback, icon,
                 line == "menu" ? kWmRButtonDown : kWmLButtonDblClk, &result);
  } else if (ParseCommandId(line, &id)) {
    SendToWindow(main_window, kWmCommand, static_cast<uintptr_t>(id), 0,
                 &result);
  } else {
    ConsoleLines(
        {"[console] commands: menu, open, or a menu command's "
         "number (32778 to 32784)"});
  }
}

int PosixEnv::RunMessageLoop(WindowHandle main_window) {
  while (HasWindow(main_window)) {
    if (StopRequested()) {
      intptr_t result = 0;
      SendToWindow(main_window, kWmClose, 0, 0, &result);
      return 0;
    }
    std::string line;
    switch (WaitConsoleEvent(console_mu_, &line)) {
      case ConsoleEvent::kLine: {
        // A stop signal during a command (a port change takes half a
        // minute) cuts it short at its next step, as during start-up; the
        // loop then closes the main window, and the exit command ends what
        // the command had started.  An exit cut short is run again whole.
        HttpCancel command_stop;
        StopSignalCancels cancels(&command_stop);
        ThreadStopScope scope(&command_stop);
        try {
          RunConsoleCommand(main_window, line);
        } catch (const ThreadStopped&) {
          ConsoleLines({"[console] stop signal: command cut short"});
        }
        break;
      }
      case ConsoleEvent::kEndOfInput:
        ConsoleLines(
            {"[console] end of input: running until the exit "
             "command or a stop signal"});
        break;
      default:
        break;
    }
  }
  return 0;
}

}  // namespace platform
