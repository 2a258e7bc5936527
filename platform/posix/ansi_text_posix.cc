#include "platform/ansi_text.h"
#include "platform/posix/console_text.h"

namespace platform {

std::optional<std::string> AnsiTextToUtf8(const std::string& text) {
  return ConvertTextExactly("UTF-8", "GBK", text);
}

}  // namespace platform
