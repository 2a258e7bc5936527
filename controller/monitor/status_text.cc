#include "controller/monitor/status_text.h"

#include <cstdio>

namespace {

constexpr char kUnregistered[] =
    "Bramo未注册\n请注册，享受Bramo带来的方便与快捷！\n";
constexpr char kRunning[] =
    "Bramo正在运行...\n本地IP：%s\n本地端口：%d/%d\n外网IP：%s\n"
    "外网端口：%d/%d\n\n";
constexpr char kWrongMachine[] =
    "Bramo正在运行...\n本地IP：%s\n本地端口：%d/%d\n外网IP：%s\n"
    "外网端口：%d/%d\n从外网访问到错误的Bramo,请检查网络（路由器）\n";
constexpr char kUnreachable[] =
    "Bramo正在运行...\n本地IP：%s\n本地端口：%d/%d\n外网IP：%s\n"
    "外网端口：%d/%d\n外网无法正常访问,请检查您的网络设置\n";

std::string Format(const char* format, const StatusFields& f) {
  char buffer[1024] = {};
  // snprintf, not sprintf: the addresses come from outside services and
  // the settings file, and must never run past the buffer.
  std::snprintf(buffer, sizeof buffer, format, f.localIp.c_str(), f.httpPort,
                f.httpsPort, f.externalIp.c_str(), f.routerHttpPort,
                f.routerHttpsPort);
  return buffer;
}

}  // namespace

std::string BuildStatusText(bool mode, const std::string& user,
                            const std::string& answer,
                            const StatusFields& fields) {
  if (user.empty()) return kUnregistered;
  if (!mode) return Format(answer.empty() ? kUnreachable : kWrongMachine, fields);
  return Format(kRunning, fields);
}
