// The rewrite of the web server's configuration apache\conf\httpd.conf for
// the install folder and the current web-server ports.
#ifndef BRAMO_CONTROLLER_CONFIG_HTTPD_CONF_H_
#define BRAMO_CONTROLLER_CONFIG_HTTPD_CONF_H_

#include <string>

#include "platform/env.h"

// Rewrites every line of the file through RewriteHttpdLine and writes it
// back whole with CR LF line ends.  The folder goes in as Apache reads
// paths: UTF-8 (Env::AnsiToUtf8), with slashes.  Returns 0 when
// rewritten; 1 after the 0X8001 box when the file cannot be read (also
// when it is larger than 4 MiB), or cannot be written (the old file then
// stays as it was), or the folder is no text of the code page.  `folder`
// ends in a backslash.
int RewriteHttpdConf(platform::Env& env, const std::string& folder,
                     int httpPort, int httpsPort);

// The file bytes RewriteHttpdConf writes for the file bytes `bytes`, of
// any size: read as the C runtime's text mode reads (CR LF is LF, a
// Ctrl-Z ends the file), every line through RewriteHttpdLine, each line,
// the last one too, ending in CR LF.
std::string RewriteHttpdConfBytes(const std::string& bytes,
                                  const std::string& folder, int httpPort,
                                  int httpsPort);

// The rules on one line (without its line end), in order, each on the
// line as the earlier ones left it:
//   1 begins with "ServerRoot"              -> ServerRoot "<folder>apache"
//   2 begins with "DocumentRoot"            -> DocumentRoot "<folder>website/"
//   3 contains "#HTTP#"                     -> Listen <http>  #HTTP#
//   4 begins with "ServerName localhost:"   -> ServerName localhost:<http>
//   5 contains "#HTTPS#"                    -> Listen <https>  #HTTPS#
//   6 begins with "<VirtualHost _default_:" -> <VirtualHost _default_:<https>>
//   7 begins with "    ServerName localhost:" -> the same with <https>
// "Begins with" means the first occurrence is at the first byte.  Matching
// steps over GBK double-byte characters, and a replaced line has its
// backslashes turned into slashes, trail bytes left alone.
std::string RewriteHttpdLine(const std::string& line, const std::string& folder,
                             int httpPort, int httpsPort);

extern const char kHttpdOpenErrorText[];

#endif  // BRAMO_CONTROLLER_CONFIG_HTTPD_CONF_H_
