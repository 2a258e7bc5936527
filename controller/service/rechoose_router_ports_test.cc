#include <gtest/gtest.h>

#include "controller/shell/brix7_dlg.h"
#include "platform/fake/fake_env.h"
#include "testing/temp_folder.h"

namespace {

using platform::FakeEnv;
using testing_support::TempFolder;
using Trace = std::vector<std::string>;

// An install folder with the web application's data folder, and the
// main window pointed at it.
class RechooseRouterPortsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("website/pc2/database/.keep", "");
    dlg.m_appDir = dir.windows_path();
  }
  TempFolder dir;
  FakeEnv env;
  Cbrix7Dlg dlg{&env};
};

TEST_F(RechooseRouterPortsTest, ChooseWriteMapThenUnmapTheOldPorts) {
  dlg.m_localIp = "192.168.1.20";
  dlg.m_externalIp = "58.1.2.3";
  dlg.m_routerHttpPort = 12345;
  dlg.m_routerHttpsPort = 13579;
  env.rand_values = {2345, 4000, 4000, 5000};  // one old port, one repeat
  dlg.RechooseRouterPorts();
  EXPECT_EQ(dlg.m_routerHttpPort, 14000);
  EXPECT_EQ(dlg.m_routerHttpsPort, 15000);
  const std::string ini = dlg.m_appDir + "sablo.ini";
  EXPECT_EQ(
      env.trace(),
      (Trace{"sleep 2000",
             "sleep 2000",
             "profile write [upnp] upnp.http.port=14000 " + ini,
             "write " + ini,
             "profile write [upnp] upnp.https.port=15000 " + ini,
             "write " + ini,
             "profile write [ip] ip.external=58.1.2.3 " + ini,
             "write " + ini,
             "profile write [ip] ip.internal=192.168.1.20 " + ini,
             "write " + ini,
             "write " + dlg.m_appDir + "website\\pc2\\database\\https_port",
             "write " + dlg.m_appDir + "\\ip",
             "exec upnpc.exe -a 192.168.1.20 80 14000 tcp",
             "sleep 2000",
             "exec upnpc.exe -a 192.168.1.20 443 15000 tcp",
             "sleep 2000",
             "exec upnpc.exe -d 12345 tcp",
             "sleep 1000",
             "exec upnpc.exe -d 13579 tcp",
             "sleep 1000"}));
  EXPECT_EQ(dir.Read("sablo.ini"),
            "[upnp]\r\nupnp.http.port=14000\r\nupnp.https.port=15000\r\n"
            "[ip]\r\nip.external=58.1.2.3\r\nip.internal=192.168.1.20\r\n");
  EXPECT_EQ(dir.Read("website/pc2/database/https_port"), "15000");
  EXPECT_EQ(dir.Read("ip"), "58.1.2.3:14000\r\n");
}

TEST_F(RechooseRouterPortsTest, APublicLanAddressIsWrittenButNotMapped) {
  dlg.m_localIp = "58.1.2.3";
  dlg.m_externalIp = "";
  dlg.m_routerHttpPort = 12000;
  dlg.m_routerHttpsPort = 12000;
  dlg.RechooseRouterPorts();
  EXPECT_TRUE(env.TraceStartingWith("exec upnpc.exe -a").empty());
  EXPECT_EQ(env.TraceStartingWith("exec upnpc.exe -d"),
            (Trace{"exec upnpc.exe -d 12000 tcp"}));
  std::string address_line = ":";
  address_line += std::to_string(dlg.m_routerHttpPort);
  address_line += "\r\n";
  EXPECT_EQ(dir.Read("ip"), address_line);
  EXPECT_NE(dlg.m_routerHttpPort, 12000);
  EXPECT_NE(dlg.m_routerHttpsPort, dlg.m_routerHttpPort);
}

}  // namespace
