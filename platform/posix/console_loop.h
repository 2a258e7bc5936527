// The Linux console as the controller's user interface: the commands the
// message loop reads from standard input, and the stop that SIGINT,
// SIGTERM and SIGHUP ask for.
//
// Commands (one a line; blanks around them ignored):
//   menu          a right click on the tray icon: the popup is printed,
//                 one line per item ("<id> <label>", " [x]" when checked,
//                 "-" for a separator)
//   open          a double click on the tray icon
//   <number>      that menu command, as a choice from the popup
// A modal dialog reads its own lines meanwhile (platform/common/
// dialog_form.h), and a message box its answer.  At the end of input the
// loop keeps running until the main window is gone or a stop signal
// arrives; the stop reaches the main window as WM_CLOSE.
//
// Standard input is read one byte at a time up to each line's end, and
// the C library's stdin is unbuffered, so a message box reading stdin
// finds exactly the lines that follow.
#ifndef BRAMO_PLATFORM_POSIX_CONSOLE_LOOP_H_
#define BRAMO_PLATFORM_POSIX_CONSOLE_LOOP_H_

#include <mutex>
#include <string>

#include "platform/http.h"

namespace platform {

// Makes the stop pipe and takes stdin's buffer away; once per process.
void PrepareConsole();

// SIGINT, SIGTERM and SIGHUP (the terminal closed) no longer end the
// process at once: they ask for the stop, which the loop and an open
// dialog see, and cancel the token of a StopSignalCancels alive then.
void CatchStopSignals();

// While it lives, a stop signal cancels `token` (at once when a stop was
// asked for already).  The start sequence runs before the message loop
// and may wait long (pauses, lookups): with the token as its thread's
// stop, it ends at its next step instead.
class StopSignalCancels {
 public:
  explicit StopSignalCancels(HttpCancel* token);
  ~StopSignalCancels();
  StopSignalCancels(const StopSignalCancels&) = delete;
  StopSignalCancels& operator=(const StopSignalCancels&) = delete;

 private:
  HttpCancel* previous_;
};

// Wakes a waiting WaitConsoleEvent (a window is gone).
void WakeConsole();

// Whether a stop was asked for; it stays asked for.
bool StopRequested();

enum class ConsoleEvent {
  kLine,        // *line holds a line of input, without its line end
  kEndOfInput,  // standard input ended (reported once)
  kStop,        // a stop was asked for
  kWake,        // WakeConsole
};

// Waits for the next event.  `console_mu` is held while input is read, so
// that a message box of another thread keeps its answer.
ConsoleEvent WaitConsoleEvent(std::mutex& console_mu, std::string* line);

}  // namespace platform

#endif  // BRAMO_PLATFORM_POSIX_CONSOLE_LOOP_H_
