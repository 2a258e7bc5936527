#ifndef BRAMO_CONTROLLER_CONFIG_TEXT_FILE_H_
#define BRAMO_CONTROLLER_CONFIG_TEXT_FILE_H_

#include <string>

#include "platform/env.h"

// Text as the C runtime's text mode writes it: every "\n" becomes "\r\n".
std::string ToTextMode(const std::string& text);

// Replaces the file at `path` whole with `text` in text mode.  False, with
// the old file left as it was, when it cannot be written.
bool WriteTextFile(platform::Env& env, const std::string& path,
                   const std::string& text);

// Replaces the file at `path` whole with `bytes`, as Env::WriteWholeFile
// does, unless it holds exactly these bytes already: then it is left
// alone.  True when the file holds `bytes` afterwards.
bool ReplaceUnlessSame(platform::Env& env, const std::string& path,
                       const std::string& bytes);

#endif  // BRAMO_CONTROLLER_CONFIG_TEXT_FILE_H_
