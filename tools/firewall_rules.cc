#include "tools/firewall_rules.h"

#include <array>
#include <fstream>
#include <optional>

#include "tools/rules_file.h"
#include "tools/text_case.h"

namespace tools {
namespace {

// The fields of a rule, in the order the file keeps them, and the value an
// add gives a field it does not name.
constexpr std::array<const char*, 7> kFields = {
    "name", "dir", "action", "profile", "description", "program", "enable"};
constexpr std::array<const char*, 7> kDefaults = {"", "", "",   "any",
                                                  "", "", "yes"};

using Rule = std::array<std::string, kFields.size()>;

bool Same(const std::string& a, const char* b) {
  return SameIgnoringCase(a, b);
}

bool OneOf(const std::string& value, std::initializer_list<const char*> set) {
  for (const char* v : set) {
    if (Same(value, v)) return true;
  }
  return false;
}

int FieldIndex(const std::string& key) {
  for (size_t i = 0; i < kFields.size(); ++i) {
    if (Same(key, kFields[i])) return static_cast<int>(i);
  }
  return -1;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string FormatRule(const Rule& rule) {
  std::string line;
  for (size_t i = 0; i < kFields.size(); ++i) {
    if (i > 0) line += '\t';
    line += std::string(kFields[i]) + "=" + rule[i];
  }
  return line;
}

std::string RuleName(const std::string& line) {
  size_t tab = line.find('\t');
  std::string first = line.substr(0, tab);
  return first.rfind("name=", 0) == 0 ? first.substr(5) : "";
}

NetshOutcome Refuse(const std::string& why) { return {1, why + "\n"}; }

NetshOutcome UnknownCommand(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& w : words) text += (text.empty() ? "" : " ") + w;
  return Refuse("The following command was not found: " + text + ".");
}

// Parses the key=value words of an add into a rule, or says what is wrong.
std::optional<Rule> ParseAdd(const std::vector<std::string>& words,
                             size_t first, std::string* error) {
  Rule rule;
  std::array<bool, kFields.size()> given{};
  for (size_t i = first; i < words.size(); ++i) {
    size_t eq = words[i].find('=');
    int field =
        eq == std::string::npos ? -1 : FieldIndex(words[i].substr(0, eq));
    if (field < 0 || given[field]) {
      *error = "A specified value is not valid: " + words[i] + ".";
      return std::nullopt;
    }
    std::string value = words[i].substr(eq + 1);
    for (unsigned char c : value) {
      // The file keeps a rule a line, its fields apart by tabs.
      if (c < 0x20) {
        *error = "A specified value holds a control character: " + words[i];
        return std::nullopt;
      }
    }
    given[field] = true;
    rule[field] = value;
  }
  for (size_t i = 0; i < kFields.size(); ++i) {
    if (!given[i]) rule[i] = kDefaults[i];
  }
  if (rule[0].empty() || !given[1] || !given[2]) {
    *error = "A rule needs name=, dir= and action=.";
    return std::nullopt;
  }
  const bool valid = OneOf(rule[1], {"in", "out"}) &&
                     OneOf(rule[2], {"allow", "block"}) &&
                     OneOf(rule[3], {"any", "public", "private", "domain"}) &&
                     OneOf(rule[6], {"yes", "no"});
  if (!valid) {
    *error = "A specified value is not valid: dir, action, profile or enable.";
    return std::nullopt;
  }
  for (size_t i : {1, 2, 3, 6}) rule[i] = Lower(rule[i]);
  return rule;
}

}  // namespace

std::vector<std::string> ReadRuleLines(const std::string& rules_path) {
  std::vector<std::string> lines;
  std::ifstream in(rules_path);
  for (std::string line; std::getline(in, line);) {
    // The Windows build ends its lines in CR LF.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

NetshOutcome RunNetsh(const std::vector<std::string>& words,
                      const std::string& rules_path) {
  const bool firewall_rule =
      words.size() >= 4 && Same(words[0], "advfirewall") &&
      Same(words[1], "firewall") && Same(words[3], "rule");
  const bool add = firewall_rule && Same(words[2], "add");
  const bool remove = firewall_rule && Same(words[2], "delete");
  if (!add && !remove) return UnknownCommand(words);

  std::string name;
  std::optional<Rule> rule;
  if (add) {
    std::string error;
    rule = ParseAdd(words, 4, &error);
    if (!rule) return Refuse(error);
  } else {
    if (words.size() != 5 || words[4].size() <= 5 ||
        !Same(words[4].substr(0, 5), "name=")) {
      return Refuse("Usage: delete rule name=<rule name>.");
    }
    name = words[4].substr(5);
  }

  RulesFileLock lock(rules_path);
  if (!lock.held()) return Refuse("The rules file cannot be locked.");
  std::vector<std::string> lines = ReadRuleLines(rules_path);
  size_t deleted = 0;
  if (add) {
    lines.push_back(FormatRule(*rule));
  } else {
    std::vector<std::string> kept;
    for (const std::string& line : lines) {
      if (RuleName(line) == name) {
        ++deleted;
      } else {
        kept.push_back(line);
      }
    }
    if (deleted == 0) return Refuse("\nNo rules match the specified criteria.");
    lines.swap(kept);
  }
  if (!ReplaceRulesFile(rules_path, lines)) {
    return Refuse("The rules file cannot be written.");
  }
  if (add) return {0, "Ok.\n\n"};
  return {0, "\nDeleted " + std::to_string(deleted) + " rule(s).\nOk.\n\n"};
}

}  // namespace tools
