#include "platform/fake/fake_sleeper.h"

#include <charconv>

namespace mivo::platform {

void FakeSleeper::sleep(double seconds) {
  char digits[32];
  const auto written = std::to_chars(digits, digits + sizeof digits, seconds);
  calls_.push_back("sleep " + std::string(digits, written.ptr));
}

}  // namespace mivo::platform
