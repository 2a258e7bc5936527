#include <sched.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "platform/posix/posix_env.h"

namespace {

// Each step runs `ip` inside the namespace of the calling thread.
bool Ip(const std::string& arguments) {
  return std::system(("ip " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

// The LAN address is asked of the interfaces, in a network namespace of
// the test's own (on a thread of its own, since a namespace belongs to the
// thread that made it); it goes when the thread ends.
TEST(LocalAddressTest, FirstUpNonLoopbackInterfaceOfOurOwnNamespace) {
  std::string skip;
  std::string fresh, loopback_up, down, up, second;
  std::thread worker([&] {
    if (unshare(CLONE_NEWNET) != 0) {
      skip = "no network namespace can be made here (needs root)";
      return;
    }
    platform::PosixEnv env;
    fresh = env.LocalIpv4Address();
    if (!Ip("link set lo up")) {
      skip = "the ip tool is missing";
      return;
    }
    loopback_up = env.LocalIpv4Address();
    Ip("link add bramo0 type veth peer name bramo1");
    Ip("addr add 10.9.8.7/24 dev bramo0");
    down = env.LocalIpv4Address();
    Ip("link set bramo0 up");
    up = env.LocalIpv4Address();
    // A pair made later lists after the first one.
    Ip("link add bramo2 type veth peer name bramo3");
    Ip("addr add 10.1.1.1/24 dev bramo2");
    Ip("link set bramo2 up");
    second = env.LocalIpv4Address();
  });
  worker.join();
  if (!skip.empty()) GTEST_SKIP() << skip;
  EXPECT_EQ(fresh, "127.0.0.1");
  EXPECT_EQ(loopback_up, "127.0.0.1");
  EXPECT_EQ(down, "127.0.0.1");
  EXPECT_EQ(up, "10.9.8.7");
  EXPECT_EQ(second, "10.9.8.7");
}

}  // namespace
