#include "controller/shell/about_dlg.h"

#include "controller/shell/sablo_resources.h"

CAboutDlg::CAboutDlg(platform::Env* env) : CDialog(env, AboutDialogLayout()) {}

void CAboutDlg::DoDataExchange(framework::CDataExchange* dx) {
  framework::DDX_Control(dx, kSiteLink, m_linkSite);
  framework::DDX_Control(dx, kSupportLink, m_linkSupport);
  framework::DDX_Control(dx, kDownloadLink, m_linkDownload);
}

std::string CAboutDlg::LinkTarget(int id) {
  switch (id) {
    case kSiteLink:
      return std::string("http://") + kVendorSiteHost;
    case kSupportLink:
      return std::string("mailto://") + kVendorSupportMail;
    case kDownloadLink:
      return std::string("http://") + kVendorSiteHost + "/download.html";
    default:
      return "";
  }
}

bool CAboutDlg::OnNotify(int id, intptr_t code, intptr_t* result) {
  std::string target = LinkTarget(id);
  if (target.empty() || code != platform::kNmClick) return false;
  env().Shell().ShellExecuteOpen(target);
  *result = 0;
  return true;
}
