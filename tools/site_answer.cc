#include "tools/site_answer.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "tools/text_case.h"

namespace tools {
namespace {

constexpr char kPageType[] = "text/html; charset=GBK";
constexpr char kNameType[] = "text/plain; charset=GBK";

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() &&
         SameIgnoringCase(
             std::string_view(text).substr(text.size() - end.size()), end);
}

std::string Unquoted(std::string text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text = text.substr(1, text.size() - 2);
  }
  return text;
}

int PortOf(const std::string& word) {
  const std::string digits = word.substr(word.rfind(':') + 1);
  if (digits.empty() || digits.size() > 5 ||
      !std::all_of(digits.begin(), digits.end(),
                   [](char c) { return c >= '0' && c <= '9'; })) {
    return 0;
  }
  const int port = std::stoi(digits);
  return port <= 65535 ? port : 0;
}

// Whether the path stays inside the site: no "..", no backslash (which the
// Windows file calls would take as a separator), no drive or NUL.
bool SafePath(const std::string& path) {
  if (path.empty() || path[0] != '/') return false;
  if (path.find_first_of(std::string("\\:\0", 3)) != std::string::npos) {
    return false;
  }
  std::istringstream parts(path);
  for (std::string part; std::getline(parts, part, '/');) {
    if (part == "..") return false;
  }
  return true;
}

std::string TypeOf(const std::string& path) {
  if (EndsWith(path, ".html") || EndsWith(path, ".htm")) return kPageType;
  if (EndsWith(path, ".txt")) return "text/plain";
  if (EndsWith(path, ".css")) return "text/css";
  if (EndsWith(path, ".js")) return "text/javascript";
  if (EndsWith(path, ".png")) return "image/png";
  return "application/octet-stream";
}

// The reverse check's page: the registered name's first token.
std::string RegisteredName(const std::string& root) {
  std::istringstream text(
      ReadFile(root + "pc2/database/current_user").value_or(""));
  std::string token;
  text >> token;
  return token;
}

SiteAnswer Text(int status, const std::string& body) {
  return {status, kPageType, body};
}

}  // namespace

SiteConf ParseHttpdConf(const std::string& text) {
  SiteConf conf;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string keyword, value;
    if (!(words >> keyword >> value)) continue;
    if (SameIgnoringCase(keyword, "Listen")) {
      const int port = PortOf(value);
      if (port > 0 && std::find(conf.ports.begin(), conf.ports.end(), port) ==
                          conf.ports.end()) {
        conf.ports.push_back(port);
      }
    } else if (SameIgnoringCase(keyword, "DocumentRoot")) {
      conf.document_root = Unquoted(value);
    }
  }
  return conf;
}

SiteAnswer AnswerRequest(const std::string& root, const std::string& target,
                         const std::string& peer) {
  std::string path = target.substr(0, target.find('?'));
  if (!SafePath(path)) return Text(403, "Forbidden\n");
  if (path.back() == '/') {
    // DirectoryIndex index.php index.html
    path += ReadFile(root + path.substr(1) + "index.php") ? "index.php"
                                                          : "index.html";
  }
  if (path == "/pc2/ReverseDetection.php") {
    // Plain text, as the page sends it: the name is not markup.
    return {200, kNameType, RegisteredName(root)};
  }
  if (path == "/whatismyip.php") return Text(200, peer);
  std::optional<std::string> file = ReadFile(root + path.substr(1));
  if (!file) return Text(404, "Not Found\n");
  if (EndsWith(path, ".php")) {
    return Text(501, "PHP does not run in this web server.\n");
  }
  return {200, TypeOf(path), *file};
}

const char* ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 501:
      return "Not Implemented";
    default:
      return "Error";
  }
}

}  // namespace tools
