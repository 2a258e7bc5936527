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
// Env joins one small interface per concern, each in a header of its own
// (processes, clock, autostart, files, network, http, updater_shell,
// window_ui); the newest (menus, modal dialogs, shell open) it hands out
// instead.  Add a call to its concern's interface, and to that concern's
// file of each implementation.
#ifndef BRAMO_PLATFORM_ENV_H_
#define BRAMO_PLATFORM_ENV_H_

#include "platform/autostart.h"
#include "platform/clock.h"
#include "platform/dialog_ui.h"
#include "platform/files.h"
#include "platform/http.h"
#include "platform/menu_ui.h"
#include "platform/network.h"
#include "platform/processes.h"
#include "platform/shell_open.h"
#include "platform/updater_shell.h"
#include "platform/win_types.h"
#include "platform/window_ui.h"

namespace platform {

class Env : public Processes,
            public Clock,
            public Autostart,
            public Files,
            public Network,
            public Http,
            public UpdaterShell,
            public WindowUi {
 public:
  ~Env() override = default;

  // ---- Concerns with interfaces of their own -------------------------
  // Each lives as long as the Env.

  virtual MenuUi& Menus() = 0;      // platform/menu_ui.h
  virtual DialogUi& Dialogs() = 0;  // platform/dialog_ui.h
  virtual ShellOpen& Shell() = 0;   // platform/shell_open.h
};

// The Env of the platform the program was built for.  Owned by the caller.
Env* NewPlatformEnv();

}  // namespace platform

#endif  // BRAMO_PLATFORM_ENV_H_
