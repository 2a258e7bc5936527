#include "updater/updater.h"

#include <string>

#include "platform/win_types.h"

namespace updater {
namespace {

constexpr char kDefaultHost[] = "www.bramo.example";
constexpr char kAgent[] = "DadoRE/1.0";
constexpr size_t kPageLimit = 1023;
constexpr char kTitle[] = "Bramo更新";
constexpr char kAskDownload[] = "有新版本程序，是否下载并安装最新版本";
constexpr char kAskInstall[] = "是否安装最新版本";
constexpr char kDownloadFailed[] = "下载新版本失败，请登录官网下载！";
constexpr char kNoInfo[] = "无法从网站获取更新信息!\n";
constexpr uint32_t kTwoHoursMs = 7200000;
// The vendor's public key, put beside `version` by the installation.
constexpr char kVendorKeyFile[] = "vendor_key.pem";
// Far more than a version line; a larger file is none of the installer's.
constexpr size_t kVersionLimit = 64u << 10;
// Far above any installer of ours, far below a full disk.
constexpr uint64_t kInstallerLimit = 512ull << 20;

// The update service and the web site share one host.  BRAMO_UPDATE_HOST
// points a test or a private install at another one; users never set it.
std::string ServiceHost(platform::Env* env) {
  auto host = env->EnvironmentVariable("BRAMO_UPDATE_HOST");
  if (host && !host->empty()) return *host;
  return kDefaultHost;
}

std::string TrimLineEnd(std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
    text.pop_back();
  return text;
}

// "md", "rd /s /q" or "del /f /q" and the path, quoted: it may hold a blank,
// which would make it two.
std::string PathCommand(const std::string& verb, const std::string& path) {
  return verb + " \"" + path + "\"";
}

unsigned char Fold(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

}  // namespace

void SplitPage(const std::string& page, std::string* version,
               std::string* address) {
  size_t hash = page.find('#');
  if (hash == std::string::npos) {
    *version = page;
    *address = page;
    return;
  }
  *version = page.substr(0, hash);
  *address = page.substr(hash + 1);
}

int FetchUpdateInfo(platform::Env* env, std::string* version,
                    std::string* address) {
  std::string page;
  std::string url = "http://" + ServiceHost(env) + "/update/windows/index.html";
  int status = 0;
  platform::HttpOptions options;
  options.status = &status;
  // An error page (404, 500, a proxy's) is no version page: taken whole
  // as version and address it would compare as newer than any version.
  if (env->HttpGet(url, kAgent, kPageLimit, &page, options) !=
          platform::HttpResult::kOk ||
      status / 100 != 2)
    return 1;
  // The page text ends at its first zero byte, as the C string it was.
  if (size_t end = page.find('\0'); end != std::string::npos) page.resize(end);
  SplitPage(page, version, address);
  return (version->empty() || address->empty()) ? 2 : 0;
}

std::string BesideProgram(platform::Env* env, const std::string& name) {
  std::string module = env->ModulePath(260);
  size_t slash = module.rfind('\\');
  if (slash == std::string::npos) return "";
  return module.substr(0, slash) + "\\" + name;
}

std::string ReadLocalVersion(platform::Env* env) {
  std::string path = BesideProgram(env, "version");
  if (path.empty()) return "";
  auto text = env->ReadWholeFile(path, kVersionLimit);
  if (!text) return "";
  // Text mode, as the registration client reads its files: a Ctrl-Z ends
  // the text.
  std::string line = text->substr(0, text->find('\x1a'));
  if (size_t end = line.find('\n'); end != std::string::npos) line.resize(end);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

bool IsNewer(const std::string& published, const std::string& installed) {
  size_t n =
      published.size() < installed.size() ? published.size() : installed.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char a = Fold(static_cast<unsigned char>(published[i]));
    unsigned char b = Fold(static_cast<unsigned char>(installed[i]));
    if (a != b) return a > b;
  }
  return published.size() > installed.size();
}

std::string PrepareDownloadFolder(platform::Env* env) {
  std::string drive = env->FirstLogicalDrive();
  // No drive: no folder, rather than one relative to wherever we run.
  if (drive.empty()) return "";
  std::string folder = drive + "sablo_update";
  env->System(PathCommand("md", folder));
  return folder;
}

std::string InstallerFileName(const std::string& address) {
  size_t slash = address.rfind('/');
  std::string name =
      slash == std::string::npos ? address : address.substr(slash + 1);
  // Only the page's own CR LF goes; a page without it keeps the whole name.
  if (name.size() >= 2 && name.compare(name.size() - 2, 2, "\r\n") == 0)
    name.resize(name.size() - 2);
  if (name.empty() || name == "." || name.find("..") != std::string::npos ||
      name.find_first_of("\\/:\r\n") != std::string::npos)
    return "";
  return name;
}

int DownloadInstaller(platform::Env* env, const std::string& address,
                      const std::string& folder) {
  std::string name = InstallerFileName(address);
  const std::string url = TrimLineEnd(address);
  const std::string path = folder + "\\" + name;
  // The installer is run from this folder, as an administrator: never
  // from one that another user could put a program of theirs into.
  bool ok = !name.empty() && !folder.empty() && env->IsPrivateFolder(folder) &&
            env->DownloadToFile(url, path, kInstallerLimit, {});
  // Whoever answers for the vendor's host on the way (a hostile network,
  // a poisoned resolver, a captive portal) could hand over any program:
  // only one that proves to be the vendor's is kept, and run later.
  if (ok &&
      !env->IsVendorInstaller(path, url, BesideProgram(env, kVendorKeyFile))) {
    env->System(PathCommand("del /f /q", path));
    ok = false;
  }
  env->Print(ok ? "ok\n" : "fail\n");
  return ok ? 0 : 1;
}

void StopSystemAndInstall(platform::Env* env, const std::string& folder) {
  env->WinExec("pskill norvik");
  env->WinExec("pskill pulvo");
  env->WinExec("pskill curl");
  env->WinExec("apache\\bin\\pv -f -k httpd.exe -q");
  env->Sleep(2000);
  env->WinExec("pskill httpd.exe");
  // The folder is ours, never text from the page.
  env->System("\"" + folder + "\\setup.exe\"");
}

int RunUpdate(platform::Env* env) {
  std::string version;
  std::string address;
  int status = FetchUpdateInfo(env, &version, &address);
  if (status != 0) {
    env->Print(kNoInfo);
    return status;
  }
  if (!IsNewer(version, ReadLocalVersion(env))) return 0;
  if (env->ShowMessageBoxW(kAskDownload, kTitle, platform::mb::kOkCancel) !=
      platform::id::kOk)
    return 0;
  std::string folder = PrepareDownloadFolder(env);
  if (DownloadInstaller(env, address, folder) != 0) {
    env->ShowMessageBoxW(kDownloadFailed, kTitle, platform::mb::kOkCancel);
    env->ShellOpenW("http://" + ServiceHost(env) + "/download.html");
    return 0;
  }
  if (env->ShowMessageBoxW(kAskInstall, kTitle, platform::mb::kOkCancel) ==
      platform::id::kCancel)
    return 0;
  StopSystemAndInstall(env, folder);
  env->Sleep(kTwoHoursMs);
  env->System(PathCommand("rd /s /q", folder));
  env->System(PathCommand("md", folder));
  return 0;
}

}  // namespace updater
