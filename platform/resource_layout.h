// Menus and dialog templates described in portable code.  On Windows the
// compiled resources of the program are used and only the resource
// identifier counts; the console layer and the fake build the menus and
// forms from these descriptions, so all three show the same items and
// controls.  Texts are GBK.
#ifndef BRAMO_PLATFORM_RESOURCE_LAYOUT_H_
#define BRAMO_PLATFORM_RESOURCE_LAYOUT_H_

#include <string>
#include <vector>

namespace platform {

// One menu item: a command (id > 0), a separator (id 0, no text) or a
// popup holding `items`.
struct MenuItemLayout {
  int id = 0;
  std::string text;
  std::vector<MenuItemLayout> items;
  bool popup = false;
};

struct MenuLayout {
  int resource_id = 0;
  std::vector<MenuItemLayout> items;  // the top level
};

enum class ControlKind {
  kGroupBox,
  kStatic,
  kIcon,
  kEdit,
  kAutoRadio,  // checks itself and clears the others of its group
  kPushButton,
  kDefPushButton,
  kLink,  // the text carries <a>...</a> markup
};

// Controls without an identifier of their own carry kNoControlId.
inline constexpr int kNoControlId = -1;

struct ControlLayout {
  int id = kNoControlId;
  ControlKind kind = ControlKind::kStatic;
  std::string text;
  bool group = false;  // starts a group (WS_GROUP)
};

struct DialogLayout {
  int resource_id = 0;
  std::string caption;
  std::vector<ControlLayout> controls;  // in tab order
};

// "group", "static", "icon", "edit", "radio", "button", "link".
const char* ControlKindName(ControlKind kind);

}  // namespace platform

#endif  // BRAMO_PLATFORM_RESOURCE_LAYOUT_H_
