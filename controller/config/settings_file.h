// sablo.ini, the settings file in the install folder: its readers and
// writers.  Every read and write is one profile-string call, never cached;
// a missing key reads as empty text.  `folder` is the install folder,
// ending in a backslash.
#ifndef BRAMO_CONTROLLER_CONFIG_SETTINGS_FILE_H_
#define BRAMO_CONTROLLER_CONFIG_SETTINGS_FILE_H_

#include <set>
#include <string>

#include "controller/config/router_settings.h"
#include "platform/env.h"

// The settings file of `folder`.
std::string SettingsPath(const std::string& folder);

// The C runtime's atoi: optional blanks and sign, then the leading digits;
// 0 when there are none.
int AtoiRule(const std::string& text);

// pattern.type, first character only: manual unless it is exactly "0"
// (missing and empty are manual).
void ReadModeFlag(platform::Env& env, const std::string& folder,
                  bool& manualMode);

// upnp.http.port, then upnp.https.port, 9 characters each, by the atoi
// rule.  An empty HTTP key shows the 0X7001 box, stores 0 and returns 1
// without reading the HTTPS key; an empty HTTPS key shows 0X7002, stores 0
// and returns 1.  Otherwise 0.
int ReadRouterPorts(platform::Env& env, const std::string& folder,
                    int& routerHttpPort, int& routerHttpsPort);

// brix7.startwithwindows, then brix7.autorun; each true only when exactly
// "1".
void ReadStartupFlags(platform::Env& env, const std::string& folder,
                      bool& startWithWindows, bool& autoRun);

// Fills `urls` from url.1, url.2, ... (255 characters each) up to the
// first key that reads empty.  Returns 8 when the set is empty, else 0.
int LoadUrlList(platform::Env& env, const std::string& folder,
                std::set<std::string>& urls);

// What the port settings dialog reads: both upnp ports and the mode, by
// the atoi rule; manual only when pattern.type converts to exactly 1.
void ReadPortDialogSettings(platform::Env& env, const std::string& folder,
                            int& routerHttpPort, int& routerHttpsPort,
                            bool& manualMode);

// WriteRouterSettings: controller/config/router_settings.h.

// apache.http.port, then apache.https.port.  Returns 0.
int WriteWebServerPorts(platform::Env& env, const std::string& folder,
                        int httpPort, int httpsPort);

// pattern.type.  Returns 0.
int WriteModeType(platform::Env& env, const std::string& folder, int mode);

// Flips brix7.autorun: "0" becomes "1" (flag on), anything else "0"
// (flag off).
void ToggleAutoRun(platform::Env& env, const std::string& folder,
                   bool& autoRun);

// Flips brix7.startwithwindows the same way, then writes the autostart
// value again, in both directions.
void ToggleStartWithWindows(platform::Env& env, const std::string& folder,
                            bool& startWithWindows);

// Start-up in manual mode: reads the router ports; when both are non-zero
// they become the web-server ports and are written as such, and true is
// returned.  Otherwise shows the 0X9001 box, ends the process with exit
// code 1 and returns false.
bool TakeManualModePorts(platform::Env& env, const std::string& folder,
                         int& routerHttpPort, int& routerHttpsPort,
                         int& httpPort, int& httpsPort);

// The error box of the settings (error icon, OK).
void ShowConfigError(platform::Env& env, const std::string& text);

// The texts of the boxes.
extern const char kReadErrorHttpText[];
extern const char kReadErrorHttpsText[];
extern const char kConfigErrorText[];
extern const char kNoUrlText[];

#endif  // BRAMO_CONTROLLER_CONFIG_SETTINGS_FILE_H_
