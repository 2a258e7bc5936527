#include "controller/config/php_ini_path.h"

std::string PhpIniPath(const std::string& path) { return path; }
