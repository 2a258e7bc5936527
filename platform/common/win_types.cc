#include "platform/win_types.h"

namespace platform {

const char* IconRoleName(int resource_id) {
  switch (resource_id) {
    case kIconApp:
      return "app";
    case kIconRunning:
      return "running";
    case kIconWarning:
      return "warning";
    case kIconIdle:
      return "idle";
    case kIconUnregistered:
      return "unregistered";
    default:
      return "unknown";
  }
}

}  // namespace platform
