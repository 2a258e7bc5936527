#ifndef BRAMO_CONTROLLER_SHELL_GBK_TEXT_H_
#define BRAMO_CONTROLLER_SHELL_GBK_TEXT_H_

#include <string>

// The longest start of the GBK text `text` that fits in `max_bytes` bytes
// without splitting a double-byte character: where the last byte that
// would fit is a lead byte (0x81-0xFE), the cut falls before that
// character, since half a character shows as garbage.
std::string CutGbk(const std::string& text, size_t max_bytes);

#endif  // BRAMO_CONTROLLER_SHELL_GBK_TEXT_H_
