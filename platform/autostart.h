// Starting with the user's session: the machine's autostart list.
// One concern of the platform seam; Env (platform/env.h) joins them all.
#ifndef BRAMO_PLATFORM_AUTOSTART_H_
#define BRAMO_PLATFORM_AUTOSTART_H_

#include <optional>
#include <string>

namespace platform {

class Autostart {
 public:
  virtual ~Autostart() = default;

  // ---- Autostart -----------------------------------------------------

  // Sets the string value `name` of the machine's autostart list (the Run
  // key).  False, with nothing written, when the list cannot be opened.
  virtual bool SetAutostartValue(const std::string& name,
                                 const std::string& data) = 0;

  // Reads back a value set by SetAutostartValue; nullopt when absent.
  virtual std::optional<std::string> AutostartValue(
      const std::string& name) = 0;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_AUTOSTART_H_
