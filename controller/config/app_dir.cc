#include "controller/config/app_dir.h"

void GetAppDir(platform::Env& env, std::string& appDir) {
  std::string path = env.ModulePath(260);
  size_t slash = path.rfind('\\');
  appDir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
}
