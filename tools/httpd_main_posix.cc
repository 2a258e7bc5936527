// apache/bin/httpd.exe: starts the install folder's Apache as the system
// expects it, by its bare name and without arguments: in the foreground,
// with apache/ as server root and apache/conf/httpd.conf as configuration.
//
// Debian's Apache reads /etc/apache2 unless told otherwise, so this
// program hands the real server, a copy of Debian's binary kept as
// apache/bin/debian/httpd.exe, the folder and the file on its command line.
// It replaces itself with the server, so the web server's processes keep
// the name httpd.exe and their program inside the install folder, which is
// what the process-ending tools and the port-conflict check go by.  Any
// arguments given (such as -t) are passed on after ours.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/kill_by_name.h"

int main(int argc, char** argv) {
  tools::RecordRun(argc, argv);
  std::error_code ec;
  const std::filesystem::path bin =
      std::filesystem::canonical("/proc/self/exe", ec).parent_path();
  if (ec) {
    std::fprintf(stderr, "httpd.exe: cannot find its own folder\n");
    return 1;
  }
  const std::string server = (bin / "debian" / "httpd.exe").string();
  const std::string root = bin.parent_path().string();
  const std::string conf = root + "/conf/httpd.conf";
  std::vector<std::string> words = {"httpd.exe", "-d", root,
                                    "-f",        conf, "-DFOREGROUND"};
  words.insert(words.end(), argv + 1, argv + argc);
  std::vector<char*> args;
  for (std::string& w : words) args.push_back(w.data());
  args.push_back(nullptr);
  // A session of its own, also when started from a terminal, so that the
  // terminal's signals reach the controller and not the web server.
  setsid();
  execv(server.c_str(), args.data());
  std::fprintf(stderr, "httpd.exe: cannot run %s: %s\n", server.c_str(),
               std::strerror(errno));
  return 127;
}
