// Our stand-in for MFC's CDialog: created modeless from a template, or run
// modally with dialog data exchange; the message map of a subclass is its
// OnMessage, OnCommand and OnNotify, and its command-update handlers
// OnUpdateCommandUI.
#ifndef BRAMO_FRAMEWORK_DIALOG_H_
#define BRAMO_FRAMEWORK_DIALOG_H_

#include <string>

#include "platform/env.h"

namespace framework {

class CCmdUI;
class CDataExchange;

class CDialog : public platform::WindowHost {
 public:
  // A dialog created modeless from template `template_id`.
  CDialog(platform::Env* env, int template_id)
      : env_(env), template_id_(template_id) {}
  // A dialog run modally from `layout` (its resource on Windows).
  CDialog(platform::Env* env, const platform::DialogLayout& layout)
      : env_(env), template_id_(layout.resource_id), layout_(&layout) {}
  ~CDialog() override = default;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Creates the window modeless with no parent; OnInitDialog runs before
  // this returns.  False when the window cannot be created.
  bool Create();

  // Runs the dialog modally with no owner and returns how it ended
  // (platform::id::kOk or kCancel, or what EndDialog was given); -1 when
  // it cannot be made.
  int DoModal();

  // Destroys the window; the message loop ends when it is the main one.
  void DestroyWindow();

  // Ends a modal dialog with `result` once the current message returns.
  // A modeless dialog only keeps the result; its window stays.
  void EndDialog(int result);

  // Dialog data exchange: `save` reads the controls into the members
  // (stopping at the first refused one, which has the focus then), else
  // puts the members into the controls.  False when a value was refused.
  bool UpdateData(bool save = true);

  // The controls of this dialog.
  std::string GetDlgItemText(int id, size_t capacity = 256);
  void SetDlgItemText(int id, const std::string& text);
  void CheckDlgButton(int id, int state);
  int IsDlgButtonChecked(int id);
  void GotoDlgCtrl(int id);

  // A message box owned by this dialog.
  int MessageBox(const std::string& text, const std::string& caption,
                 uint32_t type);

  platform::WindowHandle m_hWnd = 0;

  // Where the dialog's effects go; the free functions that work on a
  // dialog use it too.
  platform::Env& env() { return *env_; }

  // The message map's command side, as CCmdUI asks it: whether a command
  // handler exists for `id`, and running the update handler for the
  // item `ui` stands for (false when there is none).
  virtual bool HasCommandHandler(int id);
  virtual bool OnUpdateCommandUI(CCmdUI* ui);

  // platform::WindowHost.  WM_COMMAND goes to OnOK (1), OnCancel (2) or
  // OnCommand; WM_NOTIFY to OnNotify.
  bool OnInitDialog(platform::WindowHandle window) override;
  bool OnMessage(uint32_t message, uintptr_t wparam, intptr_t lparam,
                 intptr_t* result) override;
  void OnDestroy() override { m_hWnd = 0; }

 protected:
  // What the subclass does at WM_INITDIALOG; m_hWnd is set.  The base
  // puts the members into the controls.
  virtual bool OnInitDialog();
  // The data exchange of the subclass's members with its controls.
  virtual void DoDataExchange(CDataExchange* dx);
  // OK: the controls read into the members, then EndDialog(IDOK); a
  // refused value keeps the dialog open.  Cancel: EndDialog(IDCANCEL).
  virtual void OnOK();
  virtual void OnCancel();
  // A command other than OK and Cancel; false when not handled.
  virtual bool OnCommand(int id, int code);
  // A notification from control `id`; false when not handled.
  virtual bool OnNotify(int id, intptr_t code, intptr_t* result);

 private:
  platform::Env* env_;
  int template_id_;
  const platform::DialogLayout* layout_ = nullptr;
  bool modal_ = false;
  int result_ = 0;
};

}  // namespace framework

#endif  // BRAMO_FRAMEWORK_DIALOG_H_
