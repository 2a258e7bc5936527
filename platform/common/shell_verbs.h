// The command interpreter's verbs that the system's programs use, carried
// out by the posix layer (and the fake, on request) itself, so that no
// command text ever reaches /bin/sh: "del [/Q] target", "md folder", "rd [/s] [/q] folder".
#ifndef BRAMO_PLATFORM_COMMON_SHELL_VERBS_H_
#define BRAMO_PLATFORM_COMMON_SHELL_VERBS_H_

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Splits a command text as the command interpreter does: words separated
// by blanks and tabs, double quotes grouping and removed, no escapes.
std::vector<std::string> SplitShellWords(const std::string& text);

// Carries out `text` when it is one of the verbs above (any case) and
// returns its exit status, as cmd would: 0 on success, 1 or 2 on failure.
// Paths may use backslashes.  nullopt when `text` is no such verb.
//  - del: a folder loses every file directly inside it; a file is deleted;
//    a link to a folder is left alone, and so are the folders it holds.
//  - md: creates the folder and any missing parents; 1 if it exists.
//  - rd: removes an empty folder; with /s its whole content too.
std::optional<int> RunShellVerb(const std::string& text);

}  // namespace platform

#endif  // BRAMO_PLATFORM_COMMON_SHELL_VERBS_H_
