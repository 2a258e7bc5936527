// The controller's menu and dialog resources as portable descriptions.
// The Windows build uses the compiled ones of controller/res/sablo.rc,
// which hold the same identifiers and texts.
#ifndef BRAMO_CONTROLLER_SHELL_SABLO_RESOURCES_H_
#define BRAMO_CONTROLLER_SHELL_SABLO_RESOURCES_H_

#include <string>

#include "platform/resource_layout.h"

// The tray menu's commands.
inline constexpr int kCmdOpenHomePage = 32778;
inline constexpr int kCmdConfigure = 32779;
inline constexpr int kCmdStartWithWindows = 32780;
inline constexpr int kCmdAutoRun = 32781;
inline constexpr int kCmdToggleService = 32782;
inline constexpr int kCmdAbout = 32783;
inline constexpr int kCmdExit = 32784;

// The system menu's About entry and its text (string resource 101).
inline constexpr int kSysCmdAbout = 0x0010;
inline constexpr int kAboutMenuString = 101;

// Menu 132: one popup, "托盘".
const platform::MenuLayout& TrayMenuLayout();
// Dialog 100, About, and dialog 133, the port settings.
const platform::DialogLayout& AboutDialogLayout();
const platform::DialogLayout& PortSettingsDialogLayout();
// What string resource 101 holds.
extern const char kAboutMenuText[];

// The labels of command 32782 by the service's state.
extern const char kStartServiceLabel[];
extern const char kStopServiceLabel[];

// The vendor's web site host and support address, which the About
// dialog's links and the router help open.
extern const char kVendorSiteHost[];
extern const char kVendorSupportMail[];

#endif  // BRAMO_CONTROLLER_SHELL_SABLO_RESOURCES_H_
