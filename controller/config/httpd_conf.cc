#include "controller/config/httpd_conf.h"

#include "controller/config/gbk_search.h"
#include "controller/config/text_mode.h"

const char kHttpdOpenErrorText[] =
    "无法打开个人云服务器配置文件,错误码0X8001";

namespace {

// Many times the size of any configuration of ours; a larger file is not
// ours to rewrite.
constexpr size_t kHttpdConfLimit = 4u << 20;

bool BeginsWith(const std::string& line, const std::string& prefix) {
  return FindGbk(line, prefix) == 0;
}

bool Contains(const std::string& line, const std::string& text) {
  return FindGbk(line, text) != std::string::npos;
}

}  // namespace

std::string RewriteHttpdLine(const std::string& line,
                             const std::string& folder, int httpPort,
                             int httpsPort) {
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
  const std::string text = FromTextModeBytes(*bytes);
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
  // The file is replaced whole: a failed write leaves the old one.
  if (!env.WriteWholeFile(path, ToTextModeBytes(output))) return fail();
  return 0;
}
