#include "platform/common/profile_text.h"

#include <vector>

namespace platform {
namespace {

// One line of the file: where its text starts and ends (before the line
// end) and where the next line starts.
struct Line {
  size_t begin;
  size_t end;
  size_t next;
};

std::vector<Line> SplitLines(const std::string& content) {
  std::vector<Line> lines;
  size_t at = 0;
  while (at < content.size()) {
    size_t nl = content.find('\n', at);
    size_t next = nl == std::string::npos ? content.size() : nl + 1;
    size_t end = nl == std::string::npos ? content.size() : nl;
    if (end > at && content[end - 1] == '\r') --end;
    lines.push_back({at, end, next});
    at = next;
  }
  return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return text.substr(b, e - b);
}

// Strips every blank, as Windows does with the names passed in.
std::string StripBlanks(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (!IsBlank(c)) out += c;
  }
  return out;
}

bool SameName(const std::string& a, const std::string& b) {
  // Byte-wise ASCII folding only: GBK bytes compare as they are.
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The section name of a "[name]" line; false for any other line.
bool SectionName(const std::string& text, std::string* name) {
  std::string t = Trim(text);
  if (t.empty() || t[0] != '[') return false;
  size_t close = t.find(']');
  *name = Trim(
      t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  return true;
}

// The key name of a key line and where its '=' is (npos for none); false
// for blank lines and comments.
bool KeyName(const std::string& text, std::string* name, size_t* eq) {
  *eq = text.find('=');
  *name = Trim(text.substr(0, *eq));
  return !name->empty() && (*name)[0] != ';';
}

std::string Unquote(const std::string& value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') &&
      value.back() == value[0]) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// The index range [first, last) of the lines inside the first matching
// section (after its header); first is npos when there is none.
void FindSection(const std::string& content, const std::vector<Line>& lines,
                 const std::string& section, size_t* header, size_t* first,
                 size_t* last) {
  *header = *first = *last = std::string::npos;
  std::string name;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string text =
        content.substr(lines[i].begin, lines[i].end - lines[i].begin);
    if (!SectionName(text, &name)) continue;
    if (*first != std::string::npos) {
      *last = i;
      return;
    }
    if (SameName(name, section)) {
      *header = i;
      *first = i + 1;
    }
  }
  if (*first != std::string::npos) *last = lines.size();
}

// Gives a file's unfinished last line its line end before anything is
// added after it.  A file cut between CR and LF gets only the LF: another
// CR would become part of that line's text.
void EndLastLine(std::string* out) {
  if (out->empty() || out->back() == '\n') return;
  *out += out->back() == '\r' ? "\n" : "\r\n";
}

}  // namespace

std::string ReadProfileText(const std::string& content,
                            const std::string& section, const std::string& key,
                            const std::string& default_value, size_t size) {
  std::vector<Line> lines = SplitLines(content);
  size_t header, first, last;
  FindSection(content, lines, StripBlanks(section), &header, &first, &last);
  std::string result = default_value;
  if (first != std::string::npos) {
    const std::string wanted = StripBlanks(key);
    for (size_t i = first; i < last; ++i) {
      std::string text =
          content.substr(lines[i].begin, lines[i].end - lines[i].begin);
      std::string name;
      size_t eq;
      if (!KeyName(text, &name, &eq) || !SameName(name, wanted)) continue;
      result =
          eq == std::string::npos ? "" : Unquote(Trim(text.substr(eq + 1)));
      break;
    }
  }
  if (size == 0) return "";
  if (result.size() > size - 1) result.resize(size - 1);
  return result;
}

std::string WriteProfileTextInto(const std::string& content,
                                 const std::string& section,
                                 const std::string& key,
                                 const std::string& value) {
  const std::string sec = StripBlanks(section);
  const std::string wanted = StripBlanks(key);
  std::vector<Line> lines = SplitLines(content);
  size_t header, first, last;
  FindSection(content, lines, sec, &header, &first, &last);

  if (first == std::string::npos) {
    std::string out = content;
    EndLastLine(&out);
    return out + "[" + sec + "]\r\n" + wanted + "=" + value + "\r\n";
  }

  size_t last_key = header;
  for (size_t i = first; i < last; ++i) {
    std::string text =
        content.substr(lines[i].begin, lines[i].end - lines[i].begin);
    std::string name;
    size_t eq;
    if (!KeyName(text, &name, &eq)) continue;
    last_key = i;
    if (!SameName(name, wanted)) continue;
    std::string changed = content.substr(0, lines[i].begin);
    changed += name;
    changed += '=';
    changed += value;
    changed += content.substr(lines[i].end);
    return changed;
  }

  // A new key after the last key of the section.
  const Line& after = lines[last_key];
  std::string out = content.substr(0, after.next);
  EndLastLine(&out);
  out += wanted + "=" + value + "\r\n";
  return out + content.substr(after.next);
}

}  // namespace platform
