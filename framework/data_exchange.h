// Our stand-in for MFC's dialog data exchange: integers in edits, and
// control members bound to their controls.
#ifndef BRAMO_FRAMEWORK_DATA_EXCHANGE_H_
#define BRAMO_FRAMEWORK_DATA_EXCHANGE_H_

#include <string>

#include "framework/dialog.h"

namespace framework {

class CDataExchange {
 public:
  CDataExchange(CDialog* dialog, bool save)
      : m_pDlgWnd(dialog), m_bSaveAndValidate(save) {}

  CDialog* const m_pDlgWnd;
  const bool m_bSaveAndValidate;

  // A value of control `id` was refused: the focus goes there and the
  // rest of the exchange is skipped.
  void Fail(int id);
  bool failed() const { return failed_; }

  // The control the last DDX_Text exchanged: the one a following DDV_
  // check refers to.
  int last_control() const { return last_control_; }
  void set_last_control(int id) { last_control_ = id; }

 private:
  bool failed_ = false;
  int last_control_ = platform::kNoControlId;
};

// A control member: bound to its control by DDX_Control.
class CWnd {
 public:
  void Bind(CDialog* dialog, int id) {
    dialog_ = dialog;
    id_ = id;
  }
  CDialog* dialog() const { return dialog_; }
  int id() const { return id_; }

 protected:
  CDialog* dialog_ = nullptr;
  int id_ = platform::kNoControlId;
};

class CButton : public CWnd {
 public:
  // The check state (platform::kBst...); unchecked while unbound.
  int GetCheck() const;
  void SetCheck(int state);
};

class CLinkCtrl : public CWnd {};

// The text "please enter an integer", shown when an edit does not hold
// one.
extern const char kParseIntText[];

// The integer check of the exchange, on what the edit holds (only its
// first 31 characters count): blanks and tabs skipped, then a decimal
// number with an optional sign, read as the C runtime's strtol reads it
// and held to the 32-bit range; nothing but blanks and tabs may follow.
// A value of 0 whose first character is not '0' (a signed zero, an empty
// or blank text) is refused too.  False when refused.
bool ParseDialogInt(const std::string& text, int* value);

// Edit `id` <-> `value` as "%d".  Saving a text that is no integer shows
// kParseIntText (warning icon) and fails the exchange.
void DDX_Text(CDataExchange* dx, int id, int& value);

// The range check that follows DDX_Text of the same member: when saving,
// a value outside min..max shows "请输入一个介于 <min> 和 <max> 之间的整数。"
// (warning icon) and fails the exchange at that edit.  Loading is never
// checked.
void DDV_MinMaxInt(CDataExchange* dx, int value, int min, int max);

// Binds `control` to control `id` of the dialog.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

}  // namespace framework

#endif  // BRAMO_FRAMEWORK_DATA_EXCHANGE_H_
