// Processes of the installation on Windows: the process list of a
// Toolhelp snapshot, each candidate's program path from
// QueryFullProcessImageNameA, ended with TerminateProcess.
#include <windows.h>
// After windows.h, whose types it uses.
#include <tlhelp32.h>

#include <cstdlib>

#include "tools/kill_by_name.h"
#include "tools/text_case.h"

namespace tools {
namespace {

// Windows paths compare without regard to case, and either slash
// separates folders.
char FoldPathChar(char c) { return c == '/' ? '\\' : FoldAscii(c); }

bool Inside(const std::string& path, const std::string& folder) {
  if (path.empty() || path.size() < folder.size()) return false;
  for (size_t i = 0; i < folder.size(); ++i) {
    if (FoldPathChar(path[i]) != FoldPathChar(folder[i])) return false;
  }
  return true;
}

std::string ProgramPathOf(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return "";
  char path[MAX_PATH * 2] = {};
  DWORD size = sizeof path;
  std::string text;
  if (QueryFullProcessImageNameA(process, 0, path, &size)) text = path;
  CloseHandle(process);
  return text;
}

}  // namespace

const char kFolderSeparators[] = "\\/";

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string OwnProgramPath() {
  char path[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  return n > 0 && n < sizeof path ? std::string(path, n) : "";
}

std::vector<ProcessId> FindInstallationProcesses(const std::string& folder,
                                                 const std::string& name) {
  std::vector<ProcessId> found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  const DWORD self = GetCurrentProcessId();
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more;
       more = Process32Next(snapshot, &entry)) {
    const DWORD pid = entry.th32ProcessID;
    if (pid == 0 || pid == self || !NameMatches(entry.szExeFile, name)) {
      continue;
    }
    if (Inside(ProgramPathOf(pid), folder)) found.push_back(pid);
  }
  CloseHandle(snapshot);
  return found;
}

void RecordRun(int argc, char** argv) {
  const char* log = std::getenv("BRAMO_TOOL_LOG");
  if (log == nullptr || *log == '\0') return;
  std::string line = std::to_string(GetCurrentProcessId());
  for (int i = 0; i < argc; ++i) line += std::string(" ") + argv[i];
  line += "\r\n";
  // Append-only access makes the one write land at the end, whole.
  HANDLE file =
      CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written,
            nullptr);
  CloseHandle(file);
}

int EndProcesses(const std::vector<ProcessId>& pids) {
  int ended = 0;
  for (ProcessId pid : pids) {
    HANDLE process =
        OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) continue;
    if (TerminateProcess(process, 1)) ++ended;
    CloseHandle(process);
  }
  return ended;
}

}  // namespace tools
