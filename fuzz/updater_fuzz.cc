// Whatever the update page holds: its split gives back the page, the
// version comparison is a case-blind order, and the installer's file name
// never leaves the download folder.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_fields.h"
#include "updater/updater.h"

namespace {

using updater::InstallerFileName;
using updater::IsNewer;
using updater::SplitPage;

constexpr size_t kPageLimit = 1023;

std::string Folded(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// The order of _stricmp: folded to lower case, bytes unsigned, a prefix
// first.
bool Before(const std::string& a, const std::string& b) {
  const std::string x = Folded(a), y = Folded(b);
  return std::lexicographical_compare(
      x.begin(), x.end(), y.begin(), y.end(), [](char p, char q) {
        return static_cast<unsigned char>(p) < static_cast<unsigned char>(q);
      });
}

void CheckSplit(const std::string& page, std::string* version,
                std::string* address) {
  SplitPage(page, version, address);
  if (page.find('#') == std::string::npos) {
    if (*version != page || *address != page) std::abort();
    return;
  }
  if (*version + "#" + *address != page) std::abort();
  if (version->find('#') != std::string::npos) std::abort();
}

void CheckOrder(const std::string& a, const std::string& b,
                const std::string& c) {
  if (IsNewer(a, b) != Before(b, a)) std::abort();
  if (IsNewer(a, a)) std::abort();
  if (IsNewer(a, b) && IsNewer(b, a)) std::abort();
  if (IsNewer(a, b) != IsNewer(Upper(a), Folded(b))) std::abort();
  if (IsNewer(a, b) && IsNewer(b, c) && !IsNewer(a, c)) std::abort();
  if (!a.empty() && !IsNewer(a, "")) std::abort();
}

// The name is the address's last segment, its CR LF dropped; a segment
// that names another folder or drive gives no name, any other is kept.
bool Leaves(const std::string& name) {
  return name.empty() || name == "." || name.find("..") != std::string::npos ||
         name.find_first_of("\\/:\r\n") != std::string::npos;
}

void CheckFileName(const std::string& address) {
  std::string trimmed = address;
  if (trimmed.size() >= 2 &&
      trimmed.compare(trimmed.size() - 2, 2, "\r\n") == 0)
    trimmed.resize(trimmed.size() - 2);
  const size_t slash = trimmed.rfind('/');
  const std::string segment =
      trimmed.substr(slash == std::string::npos ? 0 : slash + 1);
  if (InstallerFileName(address) != (Leaves(segment) ? "" : segment)) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzFields in(data, size);
  const std::string installed = in.Next();
  // The page as the updater holds it: a C string of at most 1023 bytes.
  std::string page = in.Rest();
  page = page.substr(0, std::min(page.find('\0'), kPageLimit));

  std::string version, address;
  CheckSplit(page, &version, &address);
  CheckOrder(version, installed, address);
  CheckOrder(installed, address, version);
  CheckFileName(address);
  return 0;
}
