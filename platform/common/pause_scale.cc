#include "platform/common/pause_scale.h"

#include <cstdlib>

namespace platform {

uint32_t ScaledPause(uint32_t ms) {
  // Read at every pause: a test may set it for one program only, and a
  // pause costs far more than the look-up.
  const char* text = std::getenv("BRAMO_PAUSE_SCALE");
  if (text == nullptr || *text == '\0') return ms;
  char* end = nullptr;
  const double scale = std::strtod(text, &end);
  if (end == text || !(scale >= 0)) return ms;
  return static_cast<uint32_t>(ms * scale);
}

}  // namespace platform
