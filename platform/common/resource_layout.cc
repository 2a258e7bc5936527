#include "platform/resource_layout.h"

namespace platform {

const char* ControlKindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::kGroupBox:
      return "group";
    case ControlKind::kStatic:
      return "static";
    case ControlKind::kIcon:
      return "icon";
    case ControlKind::kEdit:
      return "edit";
    case ControlKind::kAutoRadio:
      return "radio";
    case ControlKind::kPushButton:
    case ControlKind::kDefPushButton:
      return "button";
    case ControlKind::kLink:
      return "link";
  }
  return "control";
}

}  // namespace platform
