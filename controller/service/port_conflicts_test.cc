#include "controller/service/port_conflicts.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_env.h"

namespace {

using platform::FakeEnv;
using Trace = std::vector<std::string>;

TEST(FreePortsTest, ForeignOwnersAreEndedAfterASecondHttpdIsSpared) {
  FakeEnv env;
  env.processes = {{500, "skype.exe"}, {600, "HTTPD.EXE"}};
  env.port_owners = {{80, 500}, {443, 600}};
  EXPECT_EQ(FreePorts(env, 80, 443), 0);
  EXPECT_EQ(env.trace(),
            (Trace{"sleep 1000", "terminate 500", "sleep 1000", "spare 600"}));
}

TEST(FreePortsTest, OneProcessOnBothPortsIsEndedOnce) {
  FakeEnv env;
  env.processes = {{500, "other.exe"}};
  env.port_owners = {{8080, 500}, {8443, 500}};
  FreePorts(env, 8080, 8443);
  EXPECT_EQ(env.trace(), (Trace{"sleep 1000", "terminate 500"}));
}

TEST(FreePortsTest, FreePortsCostNothingAndFailuresAreIgnored) {
  FakeEnv env;
  env.processes = {{700, "system-service.exe"}};
  env.port_owners = {{443, 700}};
  env.unkillable = {700};
  EXPECT_EQ(FreePorts(env, 80, 443), 0);
  EXPECT_EQ(env.trace(), (Trace{"sleep 1000"}));
  EXPECT_EQ(env.port_owners.at(443), 700u);
}

TEST(FreePortsTest, AFailedLookupStopsAtTheFirstPort) {
  FakeEnv env;
  env.tcp_library_missing = true;
  env.port_owners = {{80, 500}};
  EXPECT_EQ(FreePorts(env, 80, 443), 1);
  EXPECT_TRUE(env.trace().empty());
}

TEST(FreePortsTest, RowsWithoutAnOwnerAreSkipped) {
  FakeEnv env;
  env.port_owners = {{80, 0}};
  EXPECT_EQ(FreePorts(env, 80, 443), 0);
  EXPECT_TRUE(env.trace().empty());
}

bool InRange(int port) {
  return port >= kRouterPortFirst && port <= kRouterPortLast;
}

TEST(ChooseRouterPortsTest, FromNothingTheSecondPortWaitsForTheNextSeed) {
  FakeEnv env;  // the runtime's own generator, seeded from the clock
  int http = -1, https = -1;
  EXPECT_EQ(ChooseRouterPorts(env, 0, 0, http, https), 0);
  EXPECT_TRUE(InRange(http));
  EXPECT_TRUE(InRange(https));
  EXPECT_NE(http, https);
  // The first draw for the second port, in the same second, repeated the
  // first port and was rejected.
  EXPECT_EQ(env.trace(), (Trace{"sleep 2000"}));
  EXPECT_EQ(env.now_ms(), 2000u);
}

// The port a draw seeded with `seed` gives: the C runtime's first rand()
// after srand(seed), as the fake's generator answers it.
int FirstDraw(int64_t seed) {
  FakeEnv generator;
  generator.SRand(static_cast<unsigned>(seed));
  return generator.Rand() % 10000 + kRouterPortFirst;
}

TEST(ChooseRouterPortsTest, EveryDrawIsSeededAfreshFromTheClock) {
  EXPECT_EQ(FirstDraw(1), 10041);  // rand() after srand(1) is 41
  FakeEnv runtime;
  runtime.SRand(1);
  for (int draw : {41, 18467, 6334, 26500}) EXPECT_EQ(runtime.Rand(), draw);
  FakeEnv env;
  const int64_t t = env.start_time;
  int http = 0, https = 0;
  ChooseRouterPorts(env, 0, 0, http, https);
  EXPECT_EQ(http, FirstDraw(t));
  EXPECT_EQ(https, FirstDraw(t + 2));  // after the rejected repeat
  // The first port clashing with an old one: both draws move on.
  FakeEnv clash;
  ChooseRouterPorts(clash, FirstDraw(t), 0, http, https);
  EXPECT_EQ(http, FirstDraw(t + 2));
  EXPECT_EQ(https, FirstDraw(t + 4));
}

TEST(ChooseRouterPortsTest, ClashesWithOldPortsCostTwoSecondsEach) {
  FakeEnv env;
  // 12345 and 13579 are the old ports; then a fresh one; then the first
  // port again and an old one before the second is accepted.
  env.rand_values = {2345, 3579, 2345, 4000, 4000, 3579, 5000};
  int http = 0, https = 0;
  ChooseRouterPorts(env, 12345, 13579, http, https);
  EXPECT_EQ(http, 14000);
  EXPECT_EQ(https, 15000);
  EXPECT_EQ(env.trace(), Trace(5, "sleep 2000"));
  EXPECT_EQ(env.now_ms(), 10000u);
}

TEST(ChooseRouterPortsTest, NeverAnOldPortAndTheTwoAlwaysDiffer) {
  for (int64_t start : {0, 1, 1700000000, 2000000017}) {
    FakeEnv env;
    env.start_time = start;
    int http = 0, https = 0;
    ChooseRouterPorts(env, 10000, 19999, http, https);
    EXPECT_TRUE(InRange(http) && InRange(https));
    EXPECT_NE(http, https);
    EXPECT_NE(http, 10000);
    EXPECT_NE(http, 19999);
    EXPECT_NE(https, 10000);
    EXPECT_NE(https, 19999);
    // Large draws wrap into the range: rand() % 10000.
    env.rand_values = {32767, 32767, 9999 + 10000};
    ChooseRouterPorts(env, 0, 0, http, https);
    EXPECT_EQ(http, 12767);
    EXPECT_EQ(https, 19999);
  }
}

}  // namespace
