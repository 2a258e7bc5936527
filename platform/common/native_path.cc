#include "platform/common/native_path.h"

#include <algorithm>

namespace platform {

std::string ToNativePath(const std::string& path) {
  std::string out = path;
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

std::string FromNativePath(const std::string& path) {
  std::string out = path;
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}


}  // namespace platform
