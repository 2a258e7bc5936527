// The fixed pauses of the programs, scaled for tests and the lab.
#ifndef BRAMO_PLATFORM_COMMON_PAUSE_SCALE_H_
#define BRAMO_PLATFORM_COMMON_PAUSE_SCALE_H_

#include <cstdint>

namespace platform {

// `ms` times BRAMO_PAUSE_SCALE (a decimal factor, 0 or more); `ms` itself
// when the variable is unset, empty or not such a number.
uint32_t ScaledPause(uint32_t ms);

}  // namespace platform

#endif  // BRAMO_PLATFORM_COMMON_PAUSE_SCALE_H_
