// The tray tooltip texts of the reachability monitor.
#ifndef BRAMO_CONTROLLER_MONITOR_STATUS_TEXT_H_
#define BRAMO_CONTROLLER_MONITOR_STATUS_TEXT_H_

#include <string>

// What the running texts show, in the order they show it.
struct StatusFields {
  std::string localIp;
  int httpPort = 0;
  int httpsPort = 0;
  std::string externalIp;
  int routerHttpPort = 0;
  int routerHttpsPort = 0;
};

// The status text, formatted into a 1024-byte buffer (a longer text is
// cut to 1023 bytes):
//   - `user` empty: the unregistered text;
//   - else `mode` false: the wrong-machine text when `answer` is not
//     empty (another installation answered), else the unreachable text;
//   - else the running text.
std::string BuildStatusText(bool mode, const std::string& user,
                            const std::string& answer,
                            const StatusFields& fields);

#endif  // BRAMO_CONTROLLER_MONITOR_STATUS_TEXT_H_
