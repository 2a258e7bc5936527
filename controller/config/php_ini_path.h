// How a path of the install folder is spelt in php.ini for the PHP of this
// build: PHP on Windows reads the Windows path as it is; PHP on Linux
// cannot open a backslash path, so there it gets the Linux path the
// platform layer maps the Windows one to.  One file per platform, chosen
// by the build.
#ifndef BRAMO_CONTROLLER_CONFIG_PHP_INI_PATH_H_
#define BRAMO_CONTROLLER_CONFIG_PHP_INI_PATH_H_

#include <string>

// `path` is a Windows path as the system builds it (m_appDir followed by a
// relative path), already UTF-8.  Returns the text php.ini is to hold for
// it.
std::string PhpIniPath(const std::string& path);

#endif  // BRAMO_CONTROLLER_CONFIG_PHP_INI_PATH_H_
