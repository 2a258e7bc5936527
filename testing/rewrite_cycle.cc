#include "testing/rewrite_cycle.h"

#include <filesystem>
#include <fstream>

#include "controller/config/data_files.h"
#include "controller/config/httpd_conf.h"
#include "controller/config/php_ini.h"
#include "controller/config/router_settings.h"
#include "controller/config/settings_file.h"

namespace testing_support {

const std::vector<std::string>& RewrittenFiles() {
  static const std::vector<std::string> files = {
      "sablo.ini",
      "apache/conf/httpd.conf",
      "php/php.ini",
      "website/pc2/database/https_port",
      "website/pc2/database/local_port",
      "website/pc2/database/rc.txt",
      "ip"};
  return files;
}

void WriteInitialFiles(const std::string& native_folder) {
  // Long enough that a write of them takes more than one system call.
  std::string padding(20000, '#');
  const std::pair<const char*, std::string> initial[] = {
      {"sablo.ini", "[url]\r\nurl.1=http://a.example/\r\n;" + padding +
                        "\r\n[brix7]\r\nbrix7.autorun=0\r\n"},
      {"apache/conf/httpd.conf",
       "ServerRoot \"x\"\r\nListen 1  #HTTP#\r\nListen 2  #HTTPS#\r\n" +
           padding + "\r\n<VirtualHost _default_:2>\r\n"},
      {"php/php.ini", "[PHP]\r\nerror_log=x\r\n;" + padding +
                          "\r\n[Session]\r\nsession.save_path=x\r\n"},
      {"website/pc2/database/https_port", "1"},
      {"website/pc2/database/local_port", "1:2"},
      {"website/pc2/database/rc.txt", "1"},
      {"ip", ":0\r\n"}};
  for (const auto& [relative, bytes] : initial) {
    std::filesystem::path file =
        std::filesystem::path(native_folder) / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
  }
}

void RewriteCycle(platform::Env& env, const std::string& folder, int n) {
  const bool odd = n % 2 != 0;
  const int http = odd ? 12001 : 80;
  const int https = odd ? 12443 : 443;
  const std::string external = odd ? "203.0.113.9" : "198.51.100.7";
  WriteRouterSettings(env, folder, "192.168.1.2", external, http, https);
  WriteWebServerPorts(env, folder, http, https);
  WriteModeType(env, folder, odd ? 1 : 0);
  bool auto_run = false;
  ToggleAutoRun(env, folder, auto_run);
  RewriteHttpdConf(env, folder, http, https);
  RewritePhpIni(env, folder);
  WriteLocalPortFile(env, folder, http, https);
  WriteReachabilityFile(env, folder, odd ? 1 : 0);
  WriteAddressFile(env, folder, external, http);
}

}  // namespace testing_support
