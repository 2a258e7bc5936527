// Starting programs on Linux the way Windows finds and starts them.
#ifndef BRAMO_PLATFORM_POSIX_SPAWN_H_
#define BRAMO_PLATFORM_POSIX_SPAWN_H_

#include <string>
#include <vector>

namespace platform {

// The folder the running program was started from, with a trailing slash.
std::string NativeProgramFolder();

// Finds the program a Windows command line's first word names.  A word
// with a folder (either slash) is taken as it stands, relative to the
// current folder; a bare name is looked up in `own_folder`, then the
// current folder, then each folder of PATH.  In each place the name is
// tried as given, then: without ".exe" when it ends in ".exe", with ".exe"
// when it has no extension.  Returns the Linux path, or "" when nothing
// executable is found; *win_error is then 2 (file not found) or 3 (the
// folder does not exist), as WinExec reports them.
std::string ResolveProgram(const std::string& word,
                           const std::string& own_folder, unsigned* win_error);

// Starts `path` with `argv` detached: in a session of its own, standard
// input, output and error on /dev/null, the signal mask empty and the
// stop signals at their defaults; the caller never waits for it, and a
// thread of the layer reaps it when it ends, so it never stays a zombie.
// Returns 0, or the errno of the failed start.
int SpawnDetached(const std::string& path,
                  const std::vector<std::string>& argv);

// WinExec(command_line, SW_HIDE) on Linux: "cmd /c <verb ...>" runs the
// command interpreter's verb in the layer; anything else is split by the
// Windows rules, resolved by ResolveProgram and started detached, with no
// shell.  Returns 33 when started, else 2, 3 or 11 as WinExec does.
unsigned PosixWinExec(const std::string& command_line,
                      const std::string& own_folder);

// system(command) on Linux: the interpreter's verbs run in the layer;
// anything else is split by the Windows rules, resolved by ResolveProgram
// and run with the caller's standard streams, and waited for.  Returns its
// exit status (128 + signal when killed), 9009 when it cannot be found.
int PosixSystem(const std::string& command, const std::string& own_folder);

}  // namespace platform

#endif  // BRAMO_PLATFORM_POSIX_SPAWN_H_
