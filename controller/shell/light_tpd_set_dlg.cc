#include "controller/shell/light_tpd_set_dlg.h"

#include <string>

#include "controller/config/app_dir.h"
#include "controller/config/settings_file.h"
#include "controller/shell/sablo_resources.h"

const char kEqualPortsText[] =
    "HTTP 和 HTTPS 的端口不能相通，请重设！\n\n"
    "建议通过自动重启Bramo自动分配新的端口.\n"
    "建议手动设置端口范围为10001~65000.";
const char kRouterHelpUrl[] =
    "http://www.bramo.example/wiki/index.php?doc-view-79.html";

namespace {

constexpr size_t kValueBuffer = 10;
constexpr int kMinPort = 1;
constexpr int kMaxPort = 65535;

int ReadDecimal(platform::Env& env, const std::string& folder,
                const char* section, const char* key) {
  return AtoiRule(
      env.GetProfileText(section, key, "", kValueBuffer, SettingsPath(folder)));
}

}  // namespace

CLightTPDSetDlg::CLightTPDSetDlg(platform::Env* env)
    : CDialog(env, PortSettingsDialogLayout()) {}

void CLightTPDSetDlg::DoDataExchange(framework::CDataExchange* dx) {
  // A router port outside the range TCP has would be mapped as some other
  // port and stored cut in the settings file; it is refused here.
  framework::DDX_Text(dx, kHttpEdit, m_routerHttpPort);
  framework::DDV_MinMaxInt(dx, m_routerHttpPort, kMinPort, kMaxPort);
  framework::DDX_Text(dx, kHttpsEdit, m_routerHttpsPort);
  framework::DDV_MinMaxInt(dx, m_routerHttpsPort, kMinPort, kMaxPort);
  framework::DDX_Control(dx, kAutoRadio, m_autoRadio);
}

bool CLightTPDSetDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_portsChanged = false;
  std::string folder;
  GetAppDir(env(), folder);
  m_routerHttpPort = ReadDecimal(env(), folder, "upnp", "upnp.http.port");
  m_routerHttpsPort = ReadDecimal(env(), folder, "upnp", "upnp.https.port");
  m_mode = ReadDecimal(env(), folder, "pattern", "pattern.type");
  // What OK compares with: the values loaded.  Kept here rather than at
  // each OK, since an OK that was refused has already changed the members.
  m_oldHttpPort = m_routerHttpPort;
  m_oldHttpsPort = m_routerHttpsPort;
  m_oldMode = m_mode;
  UpdateData(false);
  CheckDlgButton(kAutoRadio, platform::kBstChecked);
  if (m_mode == 1) {
    CheckDlgButton(kAutoRadio, platform::kBstUnchecked);
    CheckDlgButton(kManualRadio, platform::kBstChecked);
  }
  return true;
}

void CLightTPDSetDlg::OnOK() {
  if (!UpdateData(true)) return;
  int state = m_autoRadio.GetCheck();
  if (state == platform::kBstUnchecked) {
    m_mode = 1;
  } else if (state == platform::kBstChecked) {
    m_mode = 0;
  }
  if (m_routerHttpPort == m_routerHttpsPort) {
    MessageBox(kEqualPortsText, "",
               platform::mb::kOk | platform::mb::kIconError);
    return;
  }
  m_portsChanged =
      m_routerHttpPort != m_oldHttpPort || m_routerHttpsPort != m_oldHttpsPort;
  m_modeChanged = m_mode != m_oldMode;
  EndDialog(platform::id::kOk);
}

bool CLightTPDSetDlg::OnNotify(int id, intptr_t code, intptr_t* result) {
  if (id != kRouterHelpLink || code != platform::kNmClick) return false;
  env().Shell().ShellExecuteOpen(kRouterHelpUrl);
  *result = 0;
  return true;
}
