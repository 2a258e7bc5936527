#include "controller/monitor/address_discovery.h"

#include <gtest/gtest.h>

#include "controller/config/settings_file.h"
#include "controller/shell/brix7_dlg.h"
#include "platform/fake/fake_env.h"
#include "testing/temp_folder.h"

namespace {

using platform::FakeEnv;
using platform::HttpResult;
using testing_support::TempFolder;
using Trace = std::vector<std::string>;

std::string Get(const std::string& url) {
  return "http get " + url + " agent=DadoRE/1.0";
}

class DiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("website/pc2/database/.keep", "");
    dlg.m_appDir = dir.windows_path();
  }
  void Settings(const std::string& ini) {
    dir.Write("sablo.ini", ini);
    ASSERT_EQ(LoadUrlList(env, dlg.m_appDir, dlg.m_urls), 0);
  }
  void Answer(const std::string& url, const std::string& body,
              HttpResult result = HttpResult::kOk) {
    env.http_answers[url] = {result, 200, body};
  }

  TempFolder dir;
  FakeEnv env;
  Cbrix7Dlg dlg{&env};
};

TEST_F(DiscoveryTest, ServicesAreAskedInByteOrderNotKeyOrder) {
  Settings(
      "[url]\r\nurl.1=http://z.lookup.test/\r\nurl.2=http://a.lookup.test/\r\n"
      "url.3=http://m.lookup.test/\r\n"
      "[upnp]\r\nupnp.http.port=12345\r\nupnp.https.port=13579\r\n");
  Answer("http://a.lookup.test/", "58.1.2.3\r\n");  // not bare: refused
  Answer("http://m.lookup.test/", "58.1.2.4");
  Answer("http://z.lookup.test/", "58.1.2.5");
  EXPECT_EQ(DiscoverAddresses(dlg), 0);
  EXPECT_EQ(dlg.m_localIp, "192.168.1.20");
  EXPECT_EQ(dlg.m_externalIp, "58.1.2.4");
  EXPECT_EQ(dlg.m_routerHttpPort, 12345);
  EXPECT_EQ(dlg.m_routerHttpsPort, 13579);
  EXPECT_EQ(env.trace(), (Trace{"local ip 192.168.1.20",
                                Get("http://a.lookup.test/"),
                                Get("http://m.lookup.test/")}));
}

TEST_F(DiscoveryTest, NoServiceAnsweringLeavesThePublicAddressEmpty) {
  Settings("[url]\r\nurl.1=http://a.lookup.test/\r\n"
           "[upnp]\r\nupnp.http.port=12345\r\nupnp.https.port=13579\r\n");
  dlg.m_externalIp = "58.1.2.3";
  Answer("http://a.lookup.test/", "", HttpResult::kReadFailed);
  DiscoverAddresses(dlg);
  EXPECT_EQ(dlg.m_externalIp, "");
  EXPECT_EQ(dlg.m_routerHttpPort, 12345);
}

TEST_F(DiscoveryTest, MissingRouterPortsAreReportedAndRead) {
  Settings("[url]\r\nurl.1=http://a.lookup.test/\r\n");
  Answer("http://a.lookup.test/", "58.1.2.3");
  DiscoverAddresses(dlg);
  EXPECT_EQ(env.TraceStartingWith("msgbox").size(), 1u);
  EXPECT_NE(env.TraceStartingWith("msgbox")[0].find("0X7001"),
            std::string::npos);
  EXPECT_EQ(dlg.m_routerHttpPort, 0);
}

// The machine has no network: nothing is looked up or read, and start-up
// chooses and saves router ports that are never mapped.
TEST_F(DiscoveryTest, LoopbackAtStartUp) {
  Settings("[url]\r\nurl.1=http://a.lookup.test/\r\n"
           "[upnp]\r\nupnp.http.port=12345\r\nupnp.https.port=13579\r\n");
  env.local_ip = "127.0.0.1";
  dlg.m_externalIp = "58.1.2.3";
  DiscoverAddresses(dlg);
  EXPECT_EQ(dlg.m_localIp, "127.0.0.1");
  EXPECT_EQ(dlg.m_externalIp, "");
  EXPECT_EQ(dlg.m_routerHttpPort, 0);
  EXPECT_EQ(env.trace(), (Trace{"local ip 127.0.0.1"}));

  env.rand_values = {4000, 5000};
  SetUpPublication(dlg);
  EXPECT_EQ(dlg.m_routerHttpPort, 14000);
  EXPECT_EQ(dlg.m_routerHttpsPort, 15000);
  EXPECT_TRUE(env.TraceStartingWith("exec").empty());
  EXPECT_NE(dir.Read("sablo.ini").find("upnp.http.port=14000\r\n"
                                       "upnp.https.port=15000\r\n"),
            std::string::npos);
  EXPECT_EQ(dir.Read("website/pc2/database/https_port"), "15000");
  EXPECT_EQ(dir.Read("ip"), ":14000\r\n");
}

TEST_F(DiscoveryTest, AnUnresolvableHostNameIsNotLoopback) {
  Settings("[url]\r\nurl.1=http://a.lookup.test/\r\n"
           "[upnp]\r\nupnp.http.port=12345\r\nupnp.https.port=13579\r\n");
  env.local_ip = "";
  Answer("http://a.lookup.test/", "58.1.2.3");
  DiscoverAddresses(dlg);
  EXPECT_EQ(dlg.m_localIp, "");
  EXPECT_EQ(dlg.m_externalIp, "58.1.2.3");
}

TEST_F(DiscoveryTest, KnownRouterPortsAreMappedWithoutChoosing) {
  dlg.m_localIp = "192.168.1.20";
  dlg.m_externalIp = "58.1.2.3";
  dlg.m_routerHttpPort = 12345;
  dlg.m_routerHttpsPort = 13579;
  SetUpPublication(dlg);
  EXPECT_EQ(env.trace(),
            (Trace{"exec upnpc.exe -a 192.168.1.20 80 12345 tcp", "sleep 2000",
                   "exec upnpc.exe -a 192.168.1.20 443 13579 tcp", "sleep 2000",
                   "write " + dlg.m_appDir + "\\ip"}));
  EXPECT_FALSE(dir.Exists("sablo.ini"));
  EXPECT_EQ(dir.Read("ip"), "58.1.2.3:12345\r\n");
}

TEST_F(DiscoveryTest, OneMissingRouterPortChoosesBothAwayFromTheOther) {
  dlg.m_localIp = "10.0.0.7";
  dlg.m_externalIp = "58.1.2.3";
  dlg.m_routerHttpPort = 0;
  dlg.m_routerHttpsPort = 14000;
  env.rand_values = {4000, 5000, 6000};  // 14000 is taken
  SetUpRouterMapping(dlg);
  EXPECT_EQ(dlg.m_routerHttpPort, 15000);
  EXPECT_EQ(dlg.m_routerHttpsPort, 16000);
  EXPECT_EQ(dir.Read("sablo.ini"),
            "[upnp]\r\nupnp.http.port=15000\r\nupnp.https.port=16000\r\n"
            "[ip]\r\nip.external=58.1.2.3\r\nip.internal=10.0.0.7\r\n");
  EXPECT_EQ(env.TraceStartingWith("exec"),
            (Trace{"exec upnpc.exe -a 10.0.0.7 80 15000 tcp",
                   "exec upnpc.exe -a 10.0.0.7 443 16000 tcp"}));
}

TEST_F(DiscoveryTest, AMachineWithItsOwnPublicAddressMapsNothing) {
  dlg.m_localIp = "58.1.2.3";
  dlg.m_externalIp = "58.1.2.3";
  dlg.m_routerHttpPort = 12345;
  dlg.m_routerHttpsPort = 13579;
  dlg.m_httpPort = 8080;
  dlg.m_httpsPort = 8443;
  SetUpPublication(dlg);
  EXPECT_EQ(dlg.m_routerHttpPort, 8080);
  EXPECT_EQ(dlg.m_routerHttpsPort, 8443);
  EXPECT_TRUE(env.trace().empty());
}

}  // namespace
