#include "controller/config/router_settings.h"

#include <cstdio>

#include "controller/config/text_file.h"

namespace {

std::string Number(int value) {
  char text[10] = {};
  std::snprintf(text, sizeof text, "%d", value);
  return text;
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
  WriteTextFile(env, folder + "website\\pc2\\database\\https_port",
                Number(routerHttpsPort));
}

int WriteAddressFile(platform::Env& env, const std::string& folder,
                     const std::string& externalIp, int routerHttpPort) {
  WriteTextFile(env, folder + "\\ip",
                externalIp + ":" + Number(routerHttpPort) + "\n");
  return 0;
}
