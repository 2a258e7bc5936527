// The Linux install's httpd.conf, rewritten for a folder and ports, passes
// Apache's own syntax check (with a certificate and key in place for the
// HTTPS port, as make-install leaves them).
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "controller/config/httpd_conf.h"
#include "platform/env.h"
#include "testing/temp_folder.h"

extern char** environ;

namespace {

std::string RepoFile(const std::string& relative) {
  std::filesystem::path here(__FILE__);
  std::ifstream in(here.parent_path().parent_path() / relative,
                   std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

int RunProgram(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    return -1;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(HttpdTemplate, TheRewrittenLinuxTemplatePassesApachesCheck) {
  const char* apache = "/usr/sbin/apache2";
  const char* openssl = "/usr/bin/openssl";
  if (access(apache, X_OK) != 0) GTEST_SKIP() << "apache2 is not installed";
  if (access(openssl, X_OK) != 0) GTEST_SKIP() << "openssl is not installed";
  const std::string conf = RepoFile("install/linux/apache/conf/httpd.conf");
  ASSERT_FALSE(conf.empty());
  testing_support::TempFolder folder;
  folder.Write("apache/conf/httpd.conf", conf);
  folder.Write("apache/logs/.keep", "");
  folder.Write("website/index.html", "ok");
  folder.Write("php/php.ini", "[PHP]\r\n");
  folder.Write("apache/conf/ssl/.keep", "");
  const std::string ssl = folder.path() + "apache/conf/ssl/";
  ASSERT_EQ(
      RunProgram({openssl, "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                  "-days", "1", "-subj", "/CN=localhost", "-keyout",
                  ssl + "server.key", "-out", ssl + "server.crt"}),
      0);
  std::unique_ptr<platform::Env> env(platform::NewPlatformEnv());
  ASSERT_EQ(RewriteHttpdConf(*env, folder.windows_path(), 18080, 18443), 0);
  const std::string rewritten = folder.Read("apache/conf/httpd.conf");
  EXPECT_NE(rewritten.find("Listen 18080  #HTTP#\r\n"), std::string::npos);
  // The HTTPS host keeps its TLS lines under the rewritten ones.
  EXPECT_NE(rewritten.find("<VirtualHost _default_:18443>\r\n"
                           "    ServerName localhost:18443\r\n"
                           "    SSLEngine on\r\n"),
            std::string::npos);
  EXPECT_NE(rewritten.find("ServerRoot \"" + folder.path() + "apache\"\r\n"),
            std::string::npos);
  EXPECT_EQ(RunProgram(
                {apache, "-t", "-f", folder.path() + "apache/conf/httpd.conf"}),
            0);
}

}  // namespace
