#include "platform/fake/fake_termination_signals.h"

#include <charconv>

#include "platform/foundation/process.h"

namespace mivo::platform {

void FakeTerminationSignals::holdBack() { calls_.push_back("hold back signals"); }

std::optional<int> FakeTerminationSignals::wait(double seconds) {
  char digits[32];
  const auto written = std::to_chars(digits, digits + sizeof digits, seconds);
  std::string entry = "wait " + std::string(digits, written.ptr);
  const auto scripted = signals_.find(++waits_);
  if (scripted == signals_.end()) {
    calls_.push_back(entry);
    return std::nullopt;
  }
  calls_.push_back(entry + ": signal " + std::to_string(scripted->second));
  return scripted->second;
}

void FakeTerminationSignals::letThrough() { calls_.push_back("let signals through"); }

void FakeTerminationSignals::endAs(int signal) {
  calls_.push_back("end as signal " + std::to_string(signal));
  foundation::process().exit(128 + signal);
}

}  // namespace mivo::platform
