#include "controller/config/settings_file.h"

#include <cstdio>

#include "controller/config/data_files.h"
#include "controller/shell/brix7_app.h"

const char kReadErrorHttpText[] = "读取配置文件出错，错误码0X7001";
const char kReadErrorHttpsText[] = "读取配置文件出错，错误码0X7002";
const char kConfigErrorText[] =
    "个人云服务器配置文件错误，请检查！错误码0X9001";
const char kNoUrlText[] = "请检查配置文件，必须至少存在一条URL数据\n";

namespace {

constexpr size_t kFlagBuffer = 2;
constexpr size_t kPortBuffer = 10;
constexpr size_t kUrlBuffer = 256;

std::string Read(platform::Env& env, const std::string& folder,
                 const char* section, const std::string& key, size_t size) {
  return env.GetProfileText(section, key, "", size, SettingsPath(folder));
}

void Write(platform::Env& env, const std::string& folder, const char* section,
           const char* key, const std::string& value) {
  env.WriteProfileText(section, key, value, SettingsPath(folder));
}

std::string Decimal(int value) {
  char buffer[10] = {};
  std::snprintf(buffer, sizeof buffer, "%d", value);
  return buffer;
}

// "0" turns on; every other text, missing included, turns off.
void Toggle(platform::Env& env, const std::string& folder, const char* key,
            bool& flag) {
  flag = Read(env, folder, "brix7", key, kFlagBuffer) == "0";
  Write(env, folder, "brix7", key, flag ? "1" : "0");
}

}  // namespace

std::string SettingsPath(const std::string& folder) {
  return folder + "sablo.ini";
}

int AtoiRule(const std::string& text) {
  size_t i = 0;
  while (i < text.size() &&
         (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // The buffers hold at most nine digits, so this never overflows here;
  // longer texts saturate instead of wrapping.
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 2147483648LL) value = 2147483648LL;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) value = 2147483647LL;
  return static_cast<int>(value);
}

void ShowConfigError(platform::Env& env, const std::string& text) {
  env.ShowMessageBox(0, text, "", platform::mb::kOk | platform::mb::kIconError);
}

void ReadModeFlag(platform::Env& env, const std::string& folder,
                  bool& manualMode) {
  manualMode = Read(env, folder, "pattern", "pattern.type", kFlagBuffer) != "0";
}

int ReadRouterPorts(platform::Env& env, const std::string& folder,
                    int& routerHttpPort, int& routerHttpsPort) {
  std::string http = Read(env, folder, "upnp", "upnp.http.port", kPortBuffer);
  routerHttpPort = AtoiRule(http);
  if (http.empty()) {
    ShowConfigError(env, kReadErrorHttpText);
    return 1;
  }
  std::string https =
      Read(env, folder, "upnp", "upnp.https.port", kPortBuffer);
  routerHttpsPort = AtoiRule(https);
  if (https.empty()) {
    ShowConfigError(env, kReadErrorHttpsText);
    return 1;
  }
  return 0;
}

void ReadStartupFlags(platform::Env& env, const std::string& folder,
                      bool& startWithWindows, bool& autoRun) {
  startWithWindows =
      Read(env, folder, "brix7", "brix7.startwithwindows", kFlagBuffer) == "1";
  autoRun = Read(env, folder, "brix7", "brix7.autorun", kFlagBuffer) == "1";
}

int LoadUrlList(platform::Env& env, const std::string& folder,
                std::set<std::string>& urls) {
  urls.clear();
  for (unsigned long n = 1;; ++n) {
    std::string key = "url." + std::to_string(n);
    std::string url = Read(env, folder, "url", key, kUrlBuffer);
    if (url.empty()) break;  // a gap ends the list
    urls.insert(url);
  }
  return urls.empty() ? 8 : 0;
}

void ReadPortDialogSettings(platform::Env& env, const std::string& folder,
                            int& routerHttpPort, int& routerHttpsPort,
                            bool& manualMode) {
  routerHttpPort =
      AtoiRule(Read(env, folder, "upnp", "upnp.http.port", kPortBuffer));
  routerHttpsPort =
      AtoiRule(Read(env, folder, "upnp", "upnp.https.port", kPortBuffer));
  manualMode =
      AtoiRule(Read(env, folder, "pattern", "pattern.type", kPortBuffer)) == 1;
}

int WriteWebServerPorts(platform::Env& env, const std::string& folder,
                        int httpPort, int httpsPort) {
  Write(env, folder, "apache", "apache.http.port", Decimal(httpPort));
  Write(env, folder, "apache", "apache.https.port", Decimal(httpsPort));
  return 0;
}

int WriteModeType(platform::Env& env, const std::string& folder, int mode) {
  Write(env, folder, "pattern", "pattern.type", Decimal(mode));
  return 0;
}

void ToggleAutoRun(platform::Env& env, const std::string& folder,
                   bool& autoRun) {
  Toggle(env, folder, "brix7.autorun", autoRun);
}

void ToggleStartWithWindows(platform::Env& env, const std::string& folder,
                            bool& startWithWindows) {
  Toggle(env, folder, "brix7.startwithwindows", startWithWindows);
  RegisterAutostart(env);
}

bool TakeManualModePorts(platform::Env& env, const std::string& folder,
                         int& routerHttpPort, int& routerHttpsPort,
                         int& httpPort, int& httpsPort) {
  ReadRouterPorts(env, folder, routerHttpPort, routerHttpsPort);
  if (routerHttpPort == 0 || routerHttpsPort == 0) {
    ShowConfigError(env, kConfigErrorText);
    env.ExitProcess(1);
    return false;
  }
  httpPort = routerHttpPort;
  httpsPort = routerHttpsPort;
  WriteWebServerPorts(env, folder, httpPort, httpsPort);
  return true;
}
