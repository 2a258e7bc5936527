#include "bench/httpd_conf_reference.h"

#include "controller/config/gbk_search.h"
#include "controller/config/text_mode.h"

namespace reference {
namespace {

bool IsLeadByte(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  return b >= 0x81 && b <= 0xFE;
}

size_t FindGbk(const std::string& text, const std::string& needle) {
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, needle.size(), needle) == 0) return i;
    i += (IsLeadByte(text[i]) && i + 1 < text.size()) ? 2 : 1;
  }
  return needle.empty() ? 0 : std::string::npos;
}

bool BeginsWith(const std::string& line, const std::string& prefix) {
  return FindGbk(line, prefix) == 0;
}

bool Contains(const std::string& line, const std::string& text) {
  return FindGbk(line, text) != std::string::npos;
}

std::string RewriteHttpdLine(const std::string& line, const std::string& folder,
                             int httpPort, int httpsPort) {
  const std::string server_root = folder + "apache";
  const std::string document_root = folder + "website/";
  std::string out = line;
  auto take = [&](const std::string& text) {
    out = BackslashesToSlashesGbk(text);
  };
  if (BeginsWith(out, "ServerRoot")) take("ServerRoot \"" + server_root + "\"");
  if (BeginsWith(out, "DocumentRoot")) {
    take("DocumentRoot \"" + document_root + "\"");
  }
  if (Contains(out, "#HTTP#")) {
    take("Listen " + std::to_string(httpPort) + "  #HTTP#");
  }
  if (BeginsWith(out, "ServerName localhost:")) {
    take("ServerName localhost:" + std::to_string(httpPort));
  }
  if (Contains(out, "#HTTPS#")) {
    take("Listen " + std::to_string(httpsPort) + "  #HTTPS#");
  }
  if (BeginsWith(out, "<VirtualHost _default_:")) {
    take("<VirtualHost _default_:" + std::to_string(httpsPort) + ">");
  }
  if (BeginsWith(out, "    ServerName localhost:")) {
    take("    ServerName localhost:" + std::to_string(httpsPort));
  }
  return out;
}

}  // namespace

std::string RewriteHttpdConfBytes(const std::string& bytes,
                                  const std::string& folder, int httpPort,
                                  int httpsPort) {
  const std::string text = FromTextModeBytes(bytes);
  std::string output;
  output.reserve(text.size() + 256);
  for (size_t at = 0; at < text.size();) {
    size_t lf = text.find('\n', at);
    size_t end = lf == std::string::npos ? text.size() : lf;
    output += RewriteHttpdLine(text.substr(at, end - at), folder, httpPort,
                               httpsPort);
    output += '\n';
    at = end + 1;
  }
  return ToTextModeBytes(output);
}

}  // namespace reference
