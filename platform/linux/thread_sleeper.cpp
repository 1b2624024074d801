#include "platform/linux/thread_sleeper.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace mivo::platform {
namespace {

// Far beyond any wait a program asks for, and small enough that the
// conversion to nanoseconds cannot overflow.
constexpr double kLongestSleep = 24 * 60 * 60;

}  // namespace

void ThreadSleeper::sleep(double seconds) {
  if (!(seconds > 0)) return;
  const std::chrono::duration<double> wait(std::min(seconds, kLongestSleep));
  std::this_thread::sleep_for(std::chrono::duration_cast<std::chrono::nanoseconds>(wait));
}

}  // namespace mivo::platform
