// The small files the controller exchanges with the web application under
// website\pc2\database, and the address file in its own folder.  Each
// write replaces its file whole (never torn); a file that cannot be
// written is skipped without a message.  `folder` is the install folder,
// ending in a backslash.
#ifndef BRAMO_CONTROLLER_CONFIG_DATA_FILES_H_
#define BRAMO_CONTROLLER_CONFIG_DATA_FILES_H_

#include <string>

#include "controller/config/router_settings.h"
#include "platform/env.h"

// website\pc2\database\https_port: the router HTTPS port, "%d", no line
// end.  The last step of WriteRouterSettings.
void WriteHttpsPortFile(platform::Env& env, const std::string& folder,
                        int routerHttpsPort);

// website\pc2\database\local_port: "%d:%d", no line end.  Returns 0.
int WriteLocalPortFile(platform::Env& env, const std::string& folder,
                       int httpPort, int httpsPort);

// website\pc2\database\rc.txt: "%d" of `result` (0 reachable, 1 not), no
// line end.  Returns 0.
int WriteReachabilityFile(platform::Env& env, const std::string& folder,
                          int result);

// WriteReachabilityFile, but a file that holds these bytes already is left
// alone.  Returns 0.
int RefreshReachabilityFile(platform::Env& env, const std::string& folder,
                            int result);

// website\pc2\database\diagnosis: why the server cannot be reached, one
// cause a line (controller/monitor/unreachable_cause.h), written in text
// mode; empty when it can be.  Written only when it changes: a missing
// file counts as empty, so a server that was never unreachable has none.
void WriteDiagnosisFile(platform::Env& env, const std::string& folder,
                        const std::string& text);

// WriteAddressFile and WriteRouterSettings:
// controller/config/router_settings.h.

// The registered user: the first whitespace-delimited token of
// website\pc2\database\current_user, up to a zero byte in it (the name is
// the C string of the read buffer).  Returns 0 with the name; 1 with an
// empty name when the file cannot be read, holds no token, or its first
// token is longer than 127 characters (a name cut to fit would register
// the wrong user, so it counts as no registered user).
int ReadCurrentUser(platform::Env& env, const std::string& folder,
                    std::string& name);

#endif  // BRAMO_CONTROLLER_CONFIG_DATA_FILES_H_
