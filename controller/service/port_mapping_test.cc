#include "controller/service/port_mapping.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_env.h"

namespace {

using platform::FakeEnv;
using Trace = std::vector<std::string>;

TEST(PrivateAddressTest, OnlyThePrivateRangesCount) {
  for (const char* yes : {"10.0.0.1", "172.16.0.2", "172.31.255.1",
                          "192.168.1.20", "10", "172.20"}) {
    EXPECT_TRUE(IsPrivateAddress(yes)) << yes;
  }
  for (const char* no : {"172.15.0.2", "172.32.0.2", "192.169.1.1", "11.0.0.1",
                         "127.0.0.1", "58.1.2.3", "", "abc", "192.x.168"}) {
    EXPECT_FALSE(IsPrivateAddress(no)) << no;
  }
  // Fields are read by the atoi rule: leading blanks, trailing junk.
  EXPECT_TRUE(IsPrivateAddress(" 10x.1.2.3"));
  EXPECT_TRUE(IsPrivateAddress("192.168abc.1.1"));
  EXPECT_FALSE(IsPrivateAddress("99999999999999.168.1.1"));
}

TEST(PortMappingTest, BothMappingsInOrderWithTheirPauses) {
  FakeEnv env;
  EXPECT_EQ(AddPortMappings(env, "192.168.1.20", 12345, 13579, 80, 443), 0);
  EXPECT_EQ(
      env.trace(),
      (Trace{"exec upnpc.exe -a 192.168.1.20 80 12345 tcp", "sleep 2000",
             "exec upnpc.exe -a 192.168.1.20 443 13579 tcp", "sleep 2000"}));
}

TEST(PortMappingTest, NoCommandForAnAddressThatIsNotPrivate) {
  for (const char* address :
       {"172.15.0.2", "172.32.0.2", "192.169.1.1", "11.0.0.1", "127.0.0.1"}) {
    FakeEnv env;
    AddPortMappings(env, address, 12345, 13579, 80, 443);
    EXPECT_TRUE(env.trace().empty()) << address;
  }
  for (const char* address : {"172.16.0.2", "172.31.255.1"}) {
    FakeEnv env;
    AddPortMappings(env, address, 12345, 13579, 8080, 8443);
    EXPECT_EQ(env.TraceStartingWith("exec upnpc.exe -a").size(), 2u);
  }
}

TEST(PortMappingTest, AnOverlongAddressStartsNothing) {
  FakeEnv env;
  AddPortMappings(env, "10." + std::string(1100, '1'), 1, 2, 3, 4);
  EXPECT_TRUE(env.TraceStartingWith("exec").empty());
}

TEST(PortMappingTest, RemovalWalksDistinctPortsInAscendingOrder) {
  FakeEnv env;
  RemovePortMappings(env, std::set<int>{13579, 12345, 13579});
  EXPECT_EQ(env.trace(), (Trace{"exec upnpc.exe -d 12345 tcp", "sleep 1000",
                                "exec upnpc.exe -d 13579 tcp", "sleep 1000"}));
  env.ClearTrace();
  RemovePortMappings(env, 15000, 15000);
  EXPECT_EQ(env.trace(), (Trace{"exec upnpc.exe -d 15000 tcp", "sleep 1000"}));
  env.ClearTrace();
  RemovePortMappings(env, 19000, 11000);
  EXPECT_EQ(env.trace(), (Trace{"exec upnpc.exe -d 11000 tcp", "sleep 1000",
                                "exec upnpc.exe -d 19000 tcp", "sleep 1000"}));
}

}  // namespace
