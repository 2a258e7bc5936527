// Our stand-in for MFC's CDialog, created modeless from a template.
#ifndef BRAMO_FRAMEWORK_DIALOG_H_
#define BRAMO_FRAMEWORK_DIALOG_H_

#include "platform/env.h"

namespace framework {

class CDialog : public platform::WindowHost {
 public:
  CDialog(platform::Env* env, int template_id)
      : env_(env), template_id_(template_id) {}
  ~CDialog() override = default;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Creates the window modeless with no parent; OnInitDialog runs before
  // this returns.  False when the window cannot be created.
  bool Create();

  // Destroys the window; the message loop ends when it is the main one.
  void DestroyWindow();

  platform::WindowHandle m_hWnd = 0;

  // Where the dialog's effects go; the free functions that work on a
  // dialog use it too.
  platform::Env& env() { return *env_; }

  // platform::WindowHost
  bool OnInitDialog(platform::WindowHandle window) override;
  bool OnMessage(uint32_t message, uintptr_t wparam, intptr_t lparam,
                 intptr_t* result) override;
  void OnDestroy() override { m_hWnd = 0; }

 protected:
  // What the subclass does at WM_INITDIALOG; m_hWnd is set.
  virtual bool OnInitDialog() { return true; }


 private:
  platform::Env* env_;
  int template_id_;
};

}  // namespace framework

#endif  // BRAMO_FRAMEWORK_DIALOG_H_
