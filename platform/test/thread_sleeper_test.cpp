#include "platform/linux/thread_sleeper.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>

namespace mivo::platform {
namespace {

using Clock = std::chrono::steady_clock;

TEST(ThreadSleeper, ReturnsAtOnceForNothingToWaitFor) {
  ThreadSleeper sleeper;
  for (const double seconds : {0.0, -0.0, -1.0, -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN()}) {
    SCOPED_TRACE(seconds);
    const auto start = Clock::now();
    sleeper.sleep(seconds);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
  }
}

TEST(ThreadSleeper, WaitsAtLeastTheFractionAskedFor) {
  ThreadSleeper sleeper;
  const auto start = Clock::now();
  sleeper.sleep(0.05);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(50));
}

}  // namespace
}  // namespace mivo::platform
