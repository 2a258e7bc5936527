#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/env.h"

namespace platform {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

TEST(HttpCancelTest, ClearHookWaitsForAHookUnderWay) {
  HttpCancel cancel;
  std::atomic<bool> started{false};
  std::atomic<bool> finished{false};
  cancel.SetHook([&] {
    started = true;
    std::this_thread::sleep_for(milliseconds(50));
    finished = true;
  });
  std::thread canceller([&] { cancel.Cancel(); });
  while (!started) std::this_thread::yield();
  cancel.ClearHook();
  // What the hook touches may go as soon as ClearHook returned.
  EXPECT_TRUE(finished);
  canceller.join();
}

TEST(HttpCancelTest, NoHookRunsAfterClearHook) {
  HttpCancel cancel;
  int runs = 0;
  cancel.SetHook([&] { ++runs; });
  cancel.ClearHook();
  cancel.Cancel();
  EXPECT_EQ(runs, 0);
  EXPECT_TRUE(cancel.cancelled());
  // A hook set on a cancelled token runs at once.
  cancel.SetHook([&] { ++runs; });
  cancel.ClearHook();
  EXPECT_EQ(runs, 1);
}

TEST(HttpCancelTest, WaitForEndsAtTheCancel) {
  HttpCancel cancel;
  EXPECT_TRUE(cancel.WaitFor(5));
  std::thread canceller([&] {
    std::this_thread::sleep_for(milliseconds(20));
    cancel.Cancel();
  });
  const auto start = steady_clock::now();
  EXPECT_FALSE(cancel.WaitFor(10000));
  EXPECT_LT(steady_clock::now() - start, milliseconds(1000));
  canceller.join();
  EXPECT_FALSE(cancel.WaitFor(10000));  // at once when cancelled already
}

}  // namespace
}  // namespace platform
