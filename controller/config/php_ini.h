// The rewrite of php\php.ini's four path settings for the install folder.
#ifndef BRAMO_CONTROLLER_CONFIG_PHP_INI_H_
#define BRAMO_CONTROLLER_CONFIG_PHP_INI_H_

#include <string>

#include "platform/env.h"

// Writes, through the profile-string writer and in this order:
//   [PHP]     error_log         "<folder>php\logs\php_error_log"
//   [PHP]     extension_dir     "<folder>php\ext"
//   [PHP]     upload_tmp_dir    "<folder>php\tmp"
//   [Session] session.save_path "<folder>pc2\sessionstemp"
// each value in double quotes, the path spelt as this build's PHP reads it:
// UTF-8 (Env::AnsiToUtf8), then PhpIniPath (backslashes kept on Windows,
// the Linux path on Linux).  Failures are ignored, a path that is no text
// of the code page is not written; a missing file is created.  Returns 0.
int RewritePhpIni(platform::Env& env, const std::string& folder);

#endif  // BRAMO_CONTROLLER_CONFIG_PHP_INI_H_
