// What the web server stand-in of a Windows install (apache\bin\httpd.exe
// under Wine, where no Apache with PHP runs) reads from httpd.conf and
// answers.
//
// It answers the pages the controller and its tests ask for as the web
// application's PHP pages would: pc2/ReverseDetection.php (the first
// whitespace-delimited token of pc2/database/current_user, nothing else)
// and whatismyip.php (the caller's address); other files of the site as
// they are.  Any other PHP page is answered 501: PHP does not run here.
#ifndef BRAMO_TOOLS_SITE_ANSWER_H_
#define BRAMO_TOOLS_SITE_ANSWER_H_

#include <string>
#include <vector>

namespace tools {

struct SiteConf {
  std::vector<int> ports;     // of the Listen lines, in file order, distinct
  std::string document_root;  // DocumentRoot without quotes; may be empty
};

// Reads the Listen ("Listen 80", "Listen 127.0.0.1:80") and DocumentRoot
// lines of an httpd.conf.  Keywords match without regard to case; a port
// outside 1 to 65535 is left out.
SiteConf ParseHttpdConf(const std::string& text);

struct SiteAnswer {
  int status = 200;
  std::string content_type;
  std::string body;
};

// The answer to a GET of `target` (the request line's path, with or
// without a query) from the site in folder `root` (ending in a
// separator), for a caller at `peer` (dotted address).  A path with a
// ".." segment or a backslash is refused (403) so that nothing outside
// the site is served.
SiteAnswer AnswerRequest(const std::string& root, const std::string& target,
                         const std::string& peer);

// The status line's reason phrase for the statuses AnswerRequest gives.
const char* ReasonPhrase(int status);

}  // namespace tools

#endif  // BRAMO_TOOLS_SITE_ANSWER_H_
