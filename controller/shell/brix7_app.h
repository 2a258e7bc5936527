// The controller's application object: everything that happens before a
// window exists.
#ifndef BRAMO_CONTROLLER_SHELL_BRIX7_APP_H_
#define BRAMO_CONTROLLER_SHELL_BRIX7_APP_H_

#include <cstdint>

#include "framework/win_app.h"
#include "platform/env.h"

class Cbrix7App : public framework::CWinApp {
 public:
  explicit Cbrix7App(platform::Env* env) : CWinApp(env) {}

  // Makes sure of administrator rights (relaunching elevated), waits 5 s,
  // ends when another instance runs, refuses (with the 0X8002 box) an
  // install folder the web server cannot be configured for, clears what
  // an earlier run left,
  // starts the updater, records autostart and creates the hidden main
  // window.  False ends the program before any window exists.
  bool InitInstance() override;
};

// Raised by IsRunAsAdmin when the test itself fails.
struct AdminCheckError {
  uint32_t code;
};

// Whether the process token is a member of the built-in Administrators
// group.  Throws AdminCheckError when that cannot be told.
bool IsRunAsAdmin(platform::Env& env);

// Whether another process of the controller runs: more than one process
// whose module base name is exactly "Sablo.exe" or "sablo.exe" among the
// first 1024 listed.  True as well when the list cannot be had.
bool IsAnotherInstanceRunning(platform::Env& env);

// Writes the autostart value SABLO = "\"<install folder>Sablo.exe\"".
// Nothing is written when the list cannot be opened or the path does not
// fit its 1024-byte buffer.
void RegisterAutostart(platform::Env& env);

#endif  // BRAMO_CONTROLLER_SHELL_BRIX7_APP_H_
