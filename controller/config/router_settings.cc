#include "controller/config/router_settings.h"

#include <cstdio>

#include "controller/config/data_files.h"
#include "controller/config/text_file.h"

namespace {

// "%d" in a zeroed 10-byte buffer, as the settings keys are written.
std::string Number(int value) {
  char text[10] = {};
  std::snprintf(text, sizeof text, "%d", value);
  return text;
}

// The whole number, as in the other data files: only the settings keys
// are cut to their 10-byte buffers.
std::string AddressText(const std::string& externalIp, int routerHttpPort) {
  return externalIp + ":" + std::to_string(routerHttpPort) + "\n";
}

}  // namespace

void WriteRouterSettings(platform::Env& env, const std::string& folder,
                         const std::string& localIp,
                         const std::string& externalIp, int routerHttpPort,
                         int routerHttpsPort) {
  const std::string ini = folder + "sablo.ini";
  env.WriteProfileText("upnp", "upnp.http.port", Number(routerHttpPort), ini);
  env.WriteProfileText("upnp", "upnp.https.port", Number(routerHttpsPort), ini);
  env.WriteProfileText("ip", "ip.external", externalIp, ini);
  env.WriteProfileText("ip", "ip.internal", localIp, ini);
  WriteHttpsPortFile(env, folder, routerHttpsPort);
}

int WriteAddressFile(platform::Env& env, const std::string& folder,
                     const std::string& externalIp, int routerHttpPort) {
  WriteTextFile(env, folder + "\\ip", AddressText(externalIp, routerHttpPort));
  return 0;
}

int RefreshAddressFile(platform::Env& env, const std::string& folder,
                       const std::string& externalIp, int routerHttpPort) {
  ReplaceUnlessSame(env, folder + "\\ip",
                    ToTextMode(AddressText(externalIp, routerHttpPort)));
  return 0;
}
