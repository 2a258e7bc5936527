// The port settings dialog behind the tray command "个人云配置": automatic
// or manual mode and the two router-side ports.  It loads the values from
// the settings file at every opening, validates them on OK and reports
// what changed; it writes nothing itself.
#ifndef BRAMO_CONTROLLER_SHELL_LIGHT_TPD_SET_DLG_H_
#define BRAMO_CONTROLLER_SHELL_LIGHT_TPD_SET_DLG_H_

#include "framework/data_exchange.h"
#include "framework/dialog.h"

// The box shown when both ports are the same.
extern const char kEqualPortsText[];
// What the router-help link opens.
extern const char kRouterHelpUrl[];

class CLightTPDSetDlg : public framework::CDialog {
 public:
  static constexpr int kHttpEdit = 1001;
  static constexpr int kHttpsEdit = 1002;
  static constexpr int kRouterHelpLink = 1003;
  static constexpr int kAutoRadio = 1004;
  static constexpr int kManualRadio = 1005;

  // Template 133, no parent; the ports and the mode start at 0.
  explicit CLightTPDSetDlg(platform::Env* env);

  // After IDOK: the values confirmed, and whether they differ from those
  // loaded.  After IDCANCEL nothing is to be read.
  bool m_portsChanged = false;
  bool m_modeChanged = false;
  int m_routerHttpPort = 0;
  int m_routerHttpsPort = 0;
  int m_mode = 0;  // 0 automatic, 1 manual
  int m_oldHttpPort = 0;
  int m_oldHttpsPort = 0;
  int m_oldMode = 0;
  framework::CButton m_autoRadio;

 protected:
  // Loads upnp.http.port, upnp.https.port and pattern.type (10-byte
  // buffers, decimal, missing or empty 0) into the controls; manual mode
  // shows only for a mode of exactly 1.
  bool OnInitDialog() override;
  void DoDataExchange(framework::CDataExchange* dx) override;
  // Reads and checks the controls; a text that is no integer, a port
  // outside 1..65535 (the range box, focus in that edit) or two equal
  // ports keep the dialog open.
  void OnOK() override;
  // The router-help link opens its page; the dialog stays open.
  bool OnNotify(int id, intptr_t code, intptr_t* result) override;
};

#endif  // BRAMO_CONTROLLER_SHELL_LIGHT_TPD_SET_DLG_H_
