#include "platform/posix/linux_name.h"

#include "platform/common/native_path.h"
#include "platform/posix/console_text.h"

namespace platform {

std::string ToLinuxName(const std::string& path) {
  return ToNativePath(GbkToUtf8(path));
}

std::string FromLinuxName(const std::string& path) {
  return Utf8ToGbk(FromNativePath(path));
}

std::string ToLinuxText(const std::string& text) { return GbkToUtf8(text); }

}  // namespace platform
