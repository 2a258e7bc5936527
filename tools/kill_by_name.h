// The process-ending stand-ins (pskill, apache\bin\pv) and what the other
// stand-ins share with them.
//
// The real tools end every process of a name on the machine.  Ours end
// only the processes of this installation, so that a demonstration run
// never ends a stranger's curl: on Linux those whose program or current
// folder lies inside the install folder (the nearest folder above the tool
// that holds Sablo.exe), on Windows those whose program lies inside it.
// They never end themselves or the system's first process.
#ifndef BRAMO_TOOLS_KILL_BY_NAME_H_
#define BRAMO_TOOLS_KILL_BY_NAME_H_

#include <string>
#include <vector>

namespace tools {

// A process id of the platform (pid_t on Linux, a DWORD on Windows).
using ProcessId = long;

// Whether a process's program base name `base` is what `name` asks for:
// equal without regard to case, or equal once ".exe" is added to `name`.
bool NameMatches(const std::string& base, const std::string& name);

// The path of the running program, for InstallFolderOf: its real path,
// links resolved.
std::string OwnProgramPath();

// The characters that separate folders in the platform's paths.
extern const char kFolderSeparators[];

// Whether `path` names a file, through the platform's narrow calls (the
// ANSI code page on Windows).
bool FileExists(const std::string& path);

// The install folder for a tool at `tool_path`, ending in the platform's
// folder separator.
std::string InstallFolderOf(const std::string& tool_path);

// The processes of the installation under `folder` whose name matches.
std::vector<ProcessId> FindInstallationProcesses(const std::string& folder,
                                                 const std::string& name);

// When the environment variable BRAMO_TOOL_LOG names a file, appends one
// line to it: this process's id and the arguments, blank-separated, in
// one write so that tools running side by side never mix their lines.
// Tests use it to see which tools were started, and in which order.
void RecordRun(int argc, char** argv);

// Ends the processes (SIGKILL on Linux, TerminateProcess on Windows).
// Returns how many were ended.
int EndProcesses(const std::vector<ProcessId>& pids);

// Ends the installation's processes of the name, and looks again until
// none is left (at most half a second): a process may start another of
// its name just before it is ended, as a web server's parent starts its
// children.  Returns how many distinct processes were ended.
int EndInstallationProcesses(const std::string& folder,
                             const std::string& name);

}  // namespace tools

#endif  // BRAMO_TOOLS_KILL_BY_NAME_H_
