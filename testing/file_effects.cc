#include "testing/file_effects.h"

namespace testing_support {
namespace {

void EraseAll(std::string& line, const std::string& text) {
  if (text.empty()) return;
  for (size_t at = line.find(text); at != std::string::npos;
       at = line.find(text, at)) {
    line.erase(at, text.size());
  }
}

// "profile write [section] key=value FILE" -> "FILE [section] key=value",
// or "" when `line` is no profile write.  The file is the last word.
std::string ProfileEffect(const std::string& line, std::string* file) {
  const std::string prefix = "profile write ";
  if (line.rfind(prefix, 0) != 0) return "";
  const size_t blank = line.rfind(' ');
  *file = line.substr(blank + 1);
  std::string setting = line.substr(prefix.size(), blank - prefix.size());
  if (file->size() >= 7 && file->compare(file->size() - 7, 7, "php.ini") == 0) {
    setting = setting.substr(0, setting.find('='));
  }
  return *file + " " + setting;
}

}  // namespace

std::vector<std::string> FileEffects(const std::vector<std::string>& trace,
                                     const std::string& folder) {
  std::vector<std::string> effects;
  for (size_t i = 0; i < trace.size(); ++i) {
    std::string line = trace[i];
    EraseAll(line, folder);
    std::string file;
    std::string joined = ProfileEffect(line, &file);
    if (!joined.empty() && i + 1 < trace.size()) {
      std::string next = trace[i + 1];
      EraseAll(next, folder);
      if (next == "write " + file) {
        effects.push_back(joined);
        ++i;
        continue;
      }
    }
    effects.push_back(line);
  }
  return effects;
}

std::vector<std::string> FileWrites(const std::vector<std::string>& trace,
                                    const std::string& folder) {
  std::vector<std::string> writes;
  for (const std::string& line : FileEffects(trace, folder)) {
    if (line.rfind("write ", 0) == 0 ||
        line.find(".ini [") != std::string::npos) {
      writes.push_back(line);
    }
  }
  return writes;
}

std::vector<std::string> ConfigurationEffects(int routerHttpPort,
                                              int routerHttpsPort,
                                              const std::string& externalIp,
                                              const std::string& localIp) {
  return {"sablo.ini [upnp] upnp.http.port=" + std::to_string(routerHttpPort),
          "sablo.ini [upnp] upnp.https.port=" + std::to_string(routerHttpsPort),
          "sablo.ini [ip] ip.external=" + externalIp,
          "sablo.ini [ip] ip.internal=" + localIp,
          "write website\\pc2\\database\\https_port",
          "write apache\\conf\\httpd.conf",
          "write website\\pc2\\database\\local_port",
          "php\\php.ini [PHP] error_log",
          "php\\php.ini [PHP] extension_dir",
          "php\\php.ini [PHP] upload_tmp_dir",
          "php\\php.ini [Session] session.save_path"};
}

}  // namespace testing_support
