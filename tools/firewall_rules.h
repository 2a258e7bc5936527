// The firewall of the netsh stand-in.
//
// The Linux install has no per-program firewall.  Our netsh keeps the
// rules that "netsh advfirewall firewall" would leave in the Windows
// firewall in a text file of the install folder instead, one rule a line,
// so that a run shows what the controller asked for.  Only the two verbs
// the system uses are understood:
//   advfirewall firewall delete rule name=<name>
//   advfirewall firewall add rule name=<name> dir=in|out action=allow|block
//       [profile=any|public|private|domain] [description=<text>]
//       [program=<path>] [enable=yes|no]
// Keywords and the fixed values match without regard to case, as netsh's
// do; the words arrive already split by the Windows command-line rules,
// so a quoted value with blanks is one word.  Rule names compare exactly.
#ifndef BRAMO_TOOLS_FIREWALL_RULES_H_
#define BRAMO_TOOLS_FIREWALL_RULES_H_

#include <string>
#include <vector>

namespace tools {

struct NetshOutcome {
  int exit_code = 0;    // 0 done; 1 refused or nothing matched
  std::string message;  // what netsh prints, ending in a line end
};

// Carries out the words after the program name on the rules file at
// `rules_path` (created when missing).  Concurrent runs on one file are
// serialised by a lock file beside it, and the file is replaced whole, so
// two adds started together both land and a reader never sees half a
// file.  A command it does not know changes nothing: exit code 1 and a
// message naming the command.
NetshOutcome RunNetsh(const std::vector<std::string>& words,
                      const std::string& rules_path);

// The rules file's lines for a reader: one rule a line, its fields as
// key=value separated by tabs, in the order name, dir, action, profile,
// description, program, enable.
std::vector<std::string> ReadRuleLines(const std::string& rules_path);

}  // namespace tools

#endif  // BRAMO_TOOLS_FIREWALL_RULES_H_
