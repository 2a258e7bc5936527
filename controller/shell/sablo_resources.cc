#include "controller/shell/sablo_resources.h"

using platform::ControlKind;
using platform::kNoControlId;

const char kAboutMenuText[] = "关于Bramo(&A)...";
const char kStartServiceLabel[] = "启动个人云服务";
const char kStopServiceLabel[] = "停止个人云服务";
const char kVendorSiteHost[] = "www.bramo.example";
const char kVendorSupportMail[] = "support@bramo.example";

const platform::MenuLayout& TrayMenuLayout() {
  static const platform::MenuLayout layout = {
      132,
      {{0,
        "托盘",
        {
            {kCmdOpenHomePage, "打开主页", {}},
            {0, "", {}},
            {kCmdConfigure, "个人云配置", {}},
            {kCmdStartWithWindows, "登录系统启动", {}},
            {kCmdAutoRun, "自动运行", {}},
            {0, "", {}},
            {kCmdToggleService, kStartServiceLabel, {}},
            {kCmdAbout, "关于", {}},
            {0, "", {}},
            {kCmdExit, "退出", {}},
        },
        true}}};
  return layout;
}

const platform::DialogLayout& AboutDialogLayout() {
  static const platform::DialogLayout layout = {
      100,
      "关于 Bramo SABLO",
      {
          {kNoControlId, ControlKind::kIcon, "128"},
          {kNoControlId, ControlKind::kStatic, "Bramo(SABLO) 软件版 V0.2.0.1"},
          {kNoControlId, ControlKind::kStatic,
           "版权所有 (C) Bramo，保留所有权利。"},
          {kNoControlId, ControlKind::kStatic, "官方网站："},
          {1000, ControlKind::kLink, "<a>www.bramo.example</a>"},
          {kNoControlId, ControlKind::kStatic, "技术支持："},
          {1001, ControlKind::kLink, "<a>support@bramo.example</a>"},
          {kNoControlId, ControlKind::kStatic, "最新版本："},
          {1002, ControlKind::kLink, "<a>www.bramo.example/download.html</a>"},
          {1, ControlKind::kDefPushButton, "确定", true},
      }};
  return layout;
}

const platform::DialogLayout& PortSettingsDialogLayout() {
  static const platform::DialogLayout layout = {
      133,
      "Bramo设置",
      {
          {kNoControlId, ControlKind::kGroupBox,
           "Bramo端口设置（建议：10001～65000）"},
          {1004, ControlKind::kAutoRadio, "自动模式", true},
          {1005, ControlKind::kAutoRadio, "手动模式"},
          {1003, ControlKind::kLink,
           "请您在路由器上<a>配置固定IP地址和端口映射</a>", true},
          {kNoControlId, ControlKind::kStatic, "HTTP端口："},
          {1001, ControlKind::kEdit, ""},
          {kNoControlId, ControlKind::kStatic, "HTTPS端口："},
          {1002, ControlKind::kEdit, ""},
          {1, ControlKind::kDefPushButton, "确定"},
          {2, ControlKind::kPushButton, "取消"},
      }};
  return layout;
}
