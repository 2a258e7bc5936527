// Our stand-in for MFC's CWinApp: an application object with InitInstance
// and ExitInstance and a main-window pointer, run by Run().
#ifndef BRAMO_FRAMEWORK_WIN_APP_H_
#define BRAMO_FRAMEWORK_WIN_APP_H_

#include "platform/env.h"

namespace framework {

class CDialog;

class CWinApp {
 public:
  explicit CWinApp(platform::Env* env) : env_(env) {}
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // FALSE (false) ends the program before the message loop.
  virtual bool InitInstance() { return true; }
  // The program's exit code.
  virtual int ExitInstance() { return exit_code_; }

  // InitInstance, then the message loop while there is a main window, then
  // ExitInstance.  Returns the program's exit code.
  int Run();

  platform::Env& env() { return *env_; }

  // The main window; the application deletes it at the end of Run.
  CDialog* m_pMainWnd = nullptr;

 private:
  platform::Env* env_;
  int exit_code_ = 0;
};

}  // namespace framework

#endif  // BRAMO_FRAMEWORK_WIN_APP_H_
