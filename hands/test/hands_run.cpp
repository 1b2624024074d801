#include "hands/test/hands_run.h"

#include "hands/hands.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_sleeper.h"

namespace mivo::hands {

HandsRun runHands(const std::optional<std::string>& request,
                  const std::function<void(platform::FakeInputEvents&)>& script,
                  std::error_code output_failure) {
  std::vector<std::string> events;
  platform::FakeInputEvents input(events);
  platform::FakeSleeper sleeper(events);
  if (script) script(input);
  foundation::FakeProcess process(request);
  if (output_failure) process.failStandardOutput(output_failure);
  const int status =
      foundation::runUntilExit(process, [&] { Hands::main({.input = input, .sleeper = sleeper}); });
  return {status, process.standardOutput(), process.standardError(), events, process.calls()};
}

}  // namespace mivo::hands
