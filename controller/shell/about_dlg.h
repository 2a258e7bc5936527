// The About dialog: the version line and three links (web site, support
// mail, download page).
#ifndef BRAMO_CONTROLLER_SHELL_ABOUT_DLG_H_
#define BRAMO_CONTROLLER_SHELL_ABOUT_DLG_H_

#include <string>

#include "framework/data_exchange.h"
#include "framework/dialog.h"

class CAboutDlg : public framework::CDialog {
 public:
  static constexpr int kSiteLink = 1000;
  static constexpr int kSupportLink = 1001;
  static constexpr int kDownloadLink = 1002;

  // Template 100.
  explicit CAboutDlg(platform::Env* env);

  // What a click on link `id` opens; empty for another control.
  static std::string LinkTarget(int id);

  framework::CLinkCtrl m_linkSite;
  framework::CLinkCtrl m_linkSupport;
  framework::CLinkCtrl m_linkDownload;

 protected:
  void DoDataExchange(framework::CDataExchange* dx) override;
  bool OnNotify(int id, intptr_t code, intptr_t* result) override;
};

#endif  // BRAMO_CONTROLLER_SHELL_ABOUT_DLG_H_
