// install_driver <install folder> <step> [arguments]: runs one of the
// controller's own steps on a Linux install folder, through the real
// platform layer, from the folder as current directory (as the controller
// runs).  The install folder test drives the web server with it.
//   configure <http port> <https port>
//       the configuration files for the ports (settings, https_port,
//       httpd.conf, local_port, php.ini), the LAN and public address
//       127.0.0.1
//   system <command line>
//       runs it as the command interpreter would (Env::System) and exits
//       with its exit status
//   winexec <command line>
//       starts it hidden without waiting (Env::WinExec); exit status 0 when
//       it was started, else WinExec's error code
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "controller/config/data_files.h"
#include "controller/config/httpd_conf.h"
#include "controller/config/php_ini.h"
#include "controller/config/router_settings.h"
#include "platform/common/native_path.h"
#include "platform/env.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: install_driver <folder> configure <http> <https>\n"
               "       install_driver <folder> system|winexec <command line>\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string native = argv[1];
  if (native.empty() || native[0] != '/' || chdir(native.c_str()) != 0) {
    std::fprintf(stderr, "install_driver: %s is not a folder\n", argv[1]);
    return 2;
  }
  if (native.back() != '/') native += '/';
  const std::string folder = platform::FromNativePath(native);
  std::unique_ptr<platform::Env> env(platform::NewPlatformEnv());
  const std::string step = argv[2];
  if (step == "configure" && argc == 5) {
    const int http = std::atoi(argv[3]);
    const int https = std::atoi(argv[4]);
    WriteRouterSettings(*env, folder, "127.0.0.1", "127.0.0.1", http, https);
    RewriteHttpdConf(*env, folder, http, https);
    WriteLocalPortFile(*env, folder, http, https);
    RewritePhpIni(*env, folder);
    return 0;
  }
  if (step == "system" && argc == 4) {
    const int status = env->System(argv[3]);
    return status > 255 ? 255 : status;
  }
  if (step == "winexec" && argc == 4) {
    const unsigned result = env->WinExec(argv[3]);
    return result > 31 ? 0 : static_cast<int>(result);
  }
  return Usage();
}
