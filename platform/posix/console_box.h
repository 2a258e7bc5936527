// A message box on the Linux console: the answer is one line read from
// standard input.
#ifndef BRAMO_PLATFORM_POSIX_CONSOLE_BOX_H_
#define BRAMO_PLATFORM_POSIX_CONSOLE_BOX_H_

#include <cstdio>

namespace platform {

// How many unknown answers a box takes before it gives up.
inline constexpr int kBoxAsks = 3;

// Reads the answer of a box with OK alone or OK and Cancel.  Blanks, tabs
// and a CR around it are dropped and case does not matter: "ok", "o",
// "yes", "y" or an empty line choose OK; "cancel", "c", "no", "n" choose
// Cancel.  Any other answer asks again, `kBoxAsks` times at most; after
// that, or at the end of input, the safe answer is taken: Cancel where
// there is one.  An OK-only box takes any line as OK.  Prompts go to
// `out`, flushed.  Returns id::kOk or id::kCancel.
int ReadBoxAnswer(FILE* in, FILE* out, bool ok_cancel);

}  // namespace platform

#endif  // BRAMO_PLATFORM_POSIX_CONSOLE_BOX_H_
