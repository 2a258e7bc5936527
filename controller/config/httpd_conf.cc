#include "controller/config/httpd_conf.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "controller/config/gbk_search.h"
#include "controller/config/text_mode.h"

const char kHttpdOpenErrorText[] = "无法打开个人云服务器配置文件,错误码0X8001";

namespace {

// Many times the size of any configuration of ours; a larger file is not
// ours to rewrite.
constexpr size_t kHttpdConfLimit = 4u << 20;

enum class Test { kBeginsWith, kContains };
enum class Value { kFolder, kHttpPort, kHttpsPort };

// A rule's test on `key`, and the line it puts in place: `head`, the
// value, `tail`.  The members stay in the order the line reads; the table
// has seven entries, so its padding costs nothing.
// NOLINTNEXTLINE(clang-analyzer-optin.performance.Padding)
struct Rule {
  Test test;
  std::string_view key;
  const char* head;
  Value value;
  const char* tail;
};

// In the order they apply (httpd_conf.h).
constexpr Rule kRules[] = {
    {Test::kBeginsWith, "ServerRoot", "ServerRoot \"", Value::kFolder,
     "apache\""},
    {Test::kBeginsWith, "DocumentRoot", "DocumentRoot \"", Value::kFolder,
     "website/\""},
    {Test::kContains, "#HTTP#", "Listen ", Value::kHttpPort, "  #HTTP#"},
    {Test::kBeginsWith,
     "ServerName localhost:", "ServerName localhost:", Value::kHttpPort, ""},
    {Test::kContains, "#HTTPS#", "Listen ", Value::kHttpsPort, "  #HTTPS#"},
    {Test::kBeginsWith, "<VirtualHost _default_:", "<VirtualHost _default_:",
     Value::kHttpsPort, ">"},
    {Test::kBeginsWith, "    ServerName localhost:",
     "    ServerName localhost:", Value::kHttpsPort, ""},
};

// The first character always starts at the first byte, so the first
// occurrence is there exactly when the line starts with the key.
bool Holds(const Rule& rule, const std::string& line) {
  if (rule.test == Test::kBeginsWith) {
    return std::string_view(line).starts_with(rule.key);
  }
  return FindGbk(line, std::string(rule.key)) != std::string::npos;
}

// Whether a marker (a "contains" key) is at byte `at` of `line`, at a
// character start as FindGbk would find it.
bool MarkerAt(std::string_view line, size_t at) {
  for (const Rule& rule : kRules) {
    if (rule.test == Test::kContains && line.size() > at + 1 &&
        line[at + 1] == rule.key[1] && line.substr(at).starts_with(rule.key)) {
      return IsCharacterStart(line, at);
    }
  }
  return false;
}

// The bytes a "begins with" key starts with.
constexpr std::array<bool, 256> kKeyStart = [] {
  std::array<bool, 256> starts = {};
  for (const Rule& rule : kRules) {
    if (rule.test == Test::kBeginsWith) {
      starts[static_cast<unsigned char>(rule.key[0])] = true;
    }
  }
  return starts;
}();

// The second byte of both markers: a '#' before any other is none.
constexpr char kMarkerSecond = kRules[2].key[1];
static_assert(kRules[2].key[1] == kRules[4].key[1]);

constexpr size_t kShortestKey = 8;
static_assert(std::all_of(std::begin(kRules), std::end(kRules),
                          [](const Rule& rule) {
                            return rule.test != Test::kBeginsWith ||
                                   rule.key.size() >= kShortestKey;
                          }));

// Whether a "begins with" rule holds for `line` as it is.
bool BeginsWithKey(std::string_view line) {
  // The first byte sorts out nearly every line at once.
  if (line.empty() || !kKeyStart[static_cast<unsigned char>(line[0])]) {
    return false;
  }
  for (const Rule& rule : kRules) {
    // Eight bytes compared at once turn away the indented lines.
    if (rule.test == Test::kBeginsWith && line.size() >= rule.key.size() &&
        std::memcmp(line.data(), rule.key.data(), kShortestKey) == 0 &&
        line.starts_with(rule.key)) {
      return true;
    }
  }
  return false;
}

// The high bit of each byte of `word` that is `byte`, and no other bit.
uint64_t BytesEqual(uint64_t word, unsigned char byte) {
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Fu;
  const uint64_t x = word ^ (0x0101010101010101u * byte);
  return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// One pass over the text's bytes as they are, without a text-mode copy:
// a line no rule applies to and that ends in CR LF is already what is
// written, so runs of them are copied whole and only the others rebuilt.
// Each byte is looked at once, and the rules' keys only where they can
// be: "begins with" keys at line starts, markers at a "#H".
class HttpdConfPass {
 public:
  HttpdConfPass(std::string_view text, const std::string& folder, int httpPort,
                int httpsPort)
      : text_(text), folder_(folder), http_(httpPort), https_(httpsPort) {}

  std::string Run() {
    // Only the pages written to become resident; LF-only lines need room.
    out_.reserve(2 * text_.size() + 1024);
    size_t i = 0;
    // Eight bytes at a time, visiting only LFs and the '#'s of a "#H"; the
    // first byte in memory is the lowest of a little-endian word.
    if constexpr (std::endian::native == std::endian::little) {
      for (; i + 9 <= text_.size(); i += 8) {
        const uint64_t word = Word(i);
        const uint64_t hits =
            BytesEqual(word, '\n') |
            (BytesEqual(word, '#') & BytesEqual(Word(i + 1), kMarkerSecond));
        for (uint64_t h = hits; h != 0; h &= h - 1) {
          Visit(i + static_cast<size_t>(std::countr_zero(h)) / 8);
        }
      }
    }
    for (; i < text_.size(); ++i) Visit(i);
    if (line_start_ < text_.size()) EndLine(text_.size());
    out_.append(text_.substr(copied_));
    return std::move(out_);
  }

 private:
  uint64_t Word(size_t at) const {
    uint64_t word;
    std::memcpy(&word, text_.data() + at, 8);
    return word;
  }

  void Visit(size_t i) {
    const char c = text_[i];
    if (c == '\n') {
      EndLine(i);
    } else if (c == '#' && !marker_ && i + 1 < text_.size() &&
               text_[i + 1] == kMarkerSecond) {
      marker_ = MarkerAt(text_.substr(line_start_), i - line_start_);
    }
  }

  // The line from line_start_ ends at `lf` (its LF, or the text's end).
  void EndLine(size_t lf) {
    const bool has_lf = lf < text_.size();
    const bool crlf = has_lf && lf > line_start_ && text_[lf - 1] == '\r';
    const std::string_view line =
        text_.substr(line_start_, (crlf ? lf - 1 : lf) - line_start_);
    const bool applies = marker_ || BeginsWithKey(line);
    const size_t next = has_lf ? lf + 1 : lf;
    if (applies) {
      out_.append(text_.substr(copied_, line_start_ - copied_));
      out_ += ToTextModeBytes(
          RewriteHttpdLine(std::string(line), folder_, http_, https_));
    } else if (!crlf) {
      // The run before it and the line itself, in one piece.
      out_.append(text_.substr(
          copied_, line.data() + line.size() - text_.data() - copied_));
    }
    if (applies || !crlf) {
      out_ += "\r\n";
      copied_ = next;
    }
    line_start_ = next;
    marker_ = false;
  }

  const std::string_view text_;
  const std::string& folder_;
  const int http_, https_;
  std::string out_;
  size_t copied_ = 0;      // the text before it is in out_
  size_t line_start_ = 0;  // of the line being read
  bool marker_ = false;    // a marker seen in it
};

}  // namespace

std::string RewriteHttpdLine(const std::string& line, const std::string& folder,
                             int httpPort, int httpsPort) {
  const std::string values[] = {folder, std::to_string(httpPort),
                                std::to_string(httpsPort)};
  std::string out = line;
  for (const Rule& rule : kRules) {
    if (Holds(rule, out)) {
      out = BackslashesToSlashesGbk(
          rule.head + values[static_cast<int>(rule.value)] + rule.tail);
    }
  }
  return out;
}

std::string RewriteHttpdConfBytes(const std::string& bytes,
                                  const std::string& folder, int httpPort,
                                  int httpsPort) {
  const std::string_view all(bytes);
  return HttpdConfPass(all.substr(0, std::min(all.find('\x1A'), all.size())),
                       folder, httpPort, httpsPort)
      .Run();
}

int RewriteHttpdConf(platform::Env& env, const std::string& folder,
                     int httpPort, int httpsPort) {
  const std::string path = folder + "apache\\conf\\httpd.conf";
  std::optional<std::string> bytes = env.ReadWholeFile(path, kHttpdConfLimit);
  auto fail = [&] {
    env.ShowMessageBox(0, kHttpdOpenErrorText, "",
                       platform::mb::kOk | platform::mb::kIconError);
    return 1;
  };
  if (!bytes) return fail();
  // Apache reads the paths of its configuration as UTF-8; the folder is
  // ANSI text.  Its slashes are set before, since the GBK-aware slash
  // conversion of the rules would take UTF-8 bytes for GBK pairs.
  std::optional<std::string> server_folder = env.AnsiToUtf8(folder);
  if (!server_folder) return fail();
  std::replace(server_folder->begin(), server_folder->end(), '\\', '/');
  const std::string output =
      RewriteHttpdConfBytes(*bytes, *server_folder, httpPort, httpsPort);
  // The file is replaced whole: a failed write leaves the old one.
  if (!env.WriteWholeFile(path, output)) return fail();
  return 0;
}
