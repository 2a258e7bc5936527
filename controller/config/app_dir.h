#ifndef BRAMO_CONTROLLER_CONFIG_APP_DIR_H_
#define BRAMO_CONTROLLER_CONFIG_APP_DIR_H_

#include <string>

#include "platform/env.h"

// Sets `appDir` to the controller's install folder: its module path (read
// into 260 characters) cut just after the last backslash, so it ends in a
// backslash.  Empty when the path cannot be read or holds no backslash.
void GetAppDir(platform::Env& env, std::string& appDir);

#endif  // BRAMO_CONTROLLER_CONFIG_APP_DIR_H_
