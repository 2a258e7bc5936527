// The tray icon, message boxes, the modeless main window and its message
// loop, and the painting of a minimised window.
// One concern of the platform seam; Env (platform/env.h) joins them all.
#ifndef BRAMO_PLATFORM_WINDOW_UI_H_
#define BRAMO_PLATFORM_WINDOW_UI_H_

#include <cstdint>
#include <string>

#include "platform/win_types.h"

namespace platform {

class WindowHost;

class WindowUi {
 public:
  virtual ~WindowUi() = default;

  // ---- User interface ------------------------------------------------

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
  // program is told to end; told to end (on Linux SIGINT, SIGTERM or
  // SIGHUP), the main window first hears WM_CLOSE.  Returns the exit
  // code.  The Linux console reads its commands here (see
  // posix/console_loop.h).
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

}  // namespace platform

#endif  // BRAMO_PLATFORM_WINDOW_UI_H_
