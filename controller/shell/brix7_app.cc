#include "controller/shell/brix7_app.h"

#include <string>
#include <vector>

#include "controller/config/app_dir.h"
#include "controller/config/install_folder.h"
#include "controller/shell/brix7_dlg.h"

bool IsRunAsAdmin(platform::Env& env) {
  uint32_t error = 0;
  bool member = env.IsAdministrator(&error);
  if (error != 0) throw AdminCheckError{error};
  return member;
}

bool IsAnotherInstanceRunning(platform::Env& env) {
  std::vector<uint32_t> ids;
  if (!env.EnumProcesses(1024, &ids)) return true;
  int count = 0;
  for (uint32_t pid : ids) {
    if (pid == 0) continue;
    std::optional<std::string> name = env.ProcessBaseName(pid, 260);
    if (name && (*name == "Sablo.exe" || *name == "sablo.exe")) ++count;
  }
  // The running process counts itself.
  return count > 1;
}

void RegisterAutostart(platform::Env& env) {
  std::string folder;
  GetAppDir(env, folder);
  // No folder (the module path did not fit its buffer): "Sablo.exe" alone
  // would start whatever the search finds under that name.
  if (folder.empty()) return;
  std::string data = "\"" + folder + "Sablo.exe\"";
  if (data.size() + 1 > 1024) return;
  env.SetAutostartValue("SABLO", data);
}

bool Cbrix7App::InitInstance() {
  platform::Env& env = this->env();
  try {
    if (!IsRunAsAdmin(env)) {
      std::string self = env.ModulePath(260);
      if (!self.empty() && env.RelaunchElevated(self)) {
        env.ExitProcess(0);
        return false;
      }
    }
  } catch (const AdminCheckError&) {
    env.ShowMessageBox(0, "Bramo启动失败，检查管理员权限失败！", "",
                       platform::mb::kOk);
    return false;
  }

  env.Sleep(5000);
  if (IsAnotherInstanceRunning(env)) return false;

  // Before the clean-up: a folder the server cannot be configured for is
  // left exactly as it was.
  std::string folder;
  GetAppDir(env, folder);
  if (!IsConfigurableFolder(folder)) {
    env.ShowMessageBox(0, kUnsafeFolderText, "",
                       platform::mb::kOk | platform::mb::kIconError);
    return false;
  }

  env.WinExec("net stop w3svc");
  env.WinExec("pskill update");
  env.WinExec("pskill norvik");
  env.WinExec("pskill pulvo");
  env.WinExec("pskill curl");
  env.WinExec("apache\\bin\\pv -f -k httpd.exe -q");
  env.Sleep(2000);
  env.WinExec("pskill httpd.exe");
  env.Sleep(1000);
  env.WinExec("cmd /c del /Q apache\\logs");
  env.WinExec("cmd /c del /Q pc2\\sessionstemp");
  env.WinExec("update.exe");

  RegisterAutostart(env);

  env.InitCommonControls(8, platform::kIccWin95Classes);
  if (!CWinApp::InitInstance()) return false;

  auto* dialog = new Cbrix7Dlg(&env);
  m_pMainWnd = dialog;
  return dialog->Create();
}
