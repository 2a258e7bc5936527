#include "controller/config/php_ini_path.h"

#include "platform/common/native_path.h"

std::string PhpIniPath(const std::string& path) {
  return platform::ToNativePath(path);
}
