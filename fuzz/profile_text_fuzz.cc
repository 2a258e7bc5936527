// Whatever sablo.ini already holds, a value written with the profile
// writer reads back as written, writing it again changes no byte, the
// other keys read as before, and a small buffer cuts the value read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_fields.h"
#include "platform/common/profile_text.h"

namespace {

using platform::ReadProfileText;
using platform::WriteProfileTextInto;

// Never a value of the file: tells "missing" apart from any value.
const char kMissing[] = "\x01missing";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool HasLineEnd(const std::string& text) {
  return text.find_first_of("\r\n") != std::string::npos;
}

std::string StripBlanks(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (!IsBlank(c)) out += c;
  }
  return out;
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// Names the layout can carry: a line end would end the line, a ']' ends a
// section name early, a '=' ends a key name early, and a key beginning
// with ';' is a comment, one beginning with '[' a section line.
bool IsSectionName(const std::string& name) {
  return !HasLineEnd(name) && name.find(']') == std::string::npos;
}

bool IsKeyName(const std::string& name) {
  const std::string stripped = StripBlanks(name);
  return !stripped.empty() && !HasLineEnd(name) &&
         name.find('=') == std::string::npos && stripped[0] != ';' &&
         stripped[0] != '[';
}

// Values that read back as written: the reader trims blanks and tabs at
// both ends and takes off one pair of outer quotes, and a line end would
// end the value.  (php.ini's quoted paths rely on the quote rule: a value
// written with its quotes reads without them.)
bool ReadsBackAsWritten(const std::string& value) {
  if (HasLineEnd(value)) return false;
  if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()))) {
    return false;
  }
  const bool quoted = value.size() >= 2 &&
                      (value[0] == '"' || value[0] == '\'') &&
                      value.back() == value[0];
  return !quoted;
}

// The cut length for the buffer: 0 to 63 bytes, or a large buffer.
size_t BufferSize(const std::string& field) {
  if (field.empty()) return 4096;
  return static_cast<unsigned char>(field[0]) % 64;
}

// The entry's line with blanks and tabs put around the '=' and the value,
// one for each byte of `pads`: its low bit picks tab or blank, the next
// bits the place.
std::string PaddedEntry(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& pads) {
  std::string around[3];
  for (char p : pads) {
    const auto byte = static_cast<unsigned char>(p);
    around[(byte >> 1) % 3] += (byte & 1) ? '\t' : ' ';
  }
  // Names are looked up without their blanks, as the writer writes them.
  return "[" + StripBlanks(section) + "]\r\n" + StripBlanks(key) + around[0] +
         "=" + around[1] + value + around[2] + "\r\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzFields in(data, size);
  const std::string section = in.Next();
  const std::string key = in.Next();
  const std::string value = in.Next();
  const std::string other_section = in.Next();
  const std::string other_key = in.Next();
  const size_t buffer = BufferSize(in.Next());
  const std::string pads = in.Next();
  const std::string content = in.Rest();
  if (!IsSectionName(section) || !IsKeyName(key) || HasLineEnd(value)) {
    return 0;
  }

  const std::string written =
      WriteProfileTextInto(content, section, key, value);
  if (WriteProfileTextInto(written, section, key, value) != written) {
    std::abort();  // a second identical write changed bytes
  }
  const std::string read =
      ReadProfileText(written, section, key, kMissing, 4096);
  if (ReadsBackAsWritten(value) && value.size() < 4096 && read != value) {
    std::abort();
  }
  if (ReadsBackAsWritten(value) && value.size() < 4096 &&
      ReadProfileText(PaddedEntry(section, key, value, pads), section, key,
                      kMissing, 4096) != value) {
    std::abort();
  }
  // Any other key of the file reads as it did before the write.
  const bool same_entry =
      SameName(StripBlanks(section), StripBlanks(other_section)) &&
      SameName(StripBlanks(key), StripBlanks(other_key));
  if (!same_entry &&
      ReadProfileText(content, other_section, other_key, kMissing, 4096) !=
          ReadProfileText(written, other_section, other_key, kMissing, 4096)) {
    std::abort();
  }
  // A small buffer holds the first size - 1 bytes of what a large one does.
  const std::string cut =
      ReadProfileText(written, section, key, kMissing, buffer);
  const std::string expected = buffer == 0 ? "" : read.substr(0, buffer - 1);
  if (cut != expected) std::abort();
  return 0;
}
