// The C runtime's text mode, done by our own code so that both builds
// write the same bytes: on writing every LF becomes CR LF; on reading CR LF
// becomes LF and a Ctrl-Z ends the file.
#ifndef BRAMO_CONTROLLER_CONFIG_TEXT_MODE_H_
#define BRAMO_CONTROLLER_CONFIG_TEXT_MODE_H_

#include <string>

// The bytes a text-mode write of `text` puts on disk.
std::string ToTextModeBytes(const std::string& text);

// What a text-mode read of the file bytes `bytes` gives.
std::string FromTextModeBytes(const std::string& bytes);

#endif  // BRAMO_CONTROLLER_CONFIG_TEXT_MODE_H_
