// Whether the web server can be configured for an install folder at all.
//
// The folder's path goes, between double quotes, into httpd.conf
// (ServerRoot, DocumentRoot) and php.ini (four paths).  A name holding a
// line end would put the rest of the name on a line of its own, a double
// quote would end the value early, and "${" is a variable reference that
// Apache and PHP both expand: whoever named the folder would be writing
// the server's configuration.  No quoting rule of either file keeps such
// a name a plain path, so start-up refuses the folder instead.
#ifndef BRAMO_CONTROLLER_CONFIG_INSTALL_FOLDER_H_
#define BRAMO_CONTROLLER_CONFIG_INSTALL_FOLDER_H_

#include <string>

// The box start-up shows for such a folder before it changes anything.
extern const char kUnsafeFolderText[];

// False when the GBK text `folder` holds a control character (below
// 0x20, or 0x7F), a double quote, "?" (a character the code page lacks,
// as the module path spells it) or "${" anywhere in its bytes (no trail
// byte of a GBK character is one of them).
bool IsConfigurableFolder(const std::string& folder);

#endif  // BRAMO_CONTROLLER_CONFIG_INSTALL_FOLDER_H_
