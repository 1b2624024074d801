#include "hands/test/hands_run.h"

#include "hands/hands.h"
#include "platform/fake/fake_sleeper.h"

namespace mivo::hands {

HandsRun runHands(const std::optional<std::string>& request,
                  const std::function<void(HandsFakes&)>& script) {
  std::vector<std::string> events;
  platform::FakeInputEvents input(events);
  platform::FakeSleeper sleeper(events);
  platform::FakeTerminationSignals signals(events);
  foundation::FakeProcess process(request);
  HandsFakes fakes{input, signals, process};
  if (script) script(fakes);
  const int status = foundation::runUntilExit(
      process, [&] { Hands::main({.input = input, .sleeper = sleeper, .signals = signals}); });
  return {status, process.standardOutput(), process.standardError(), events, process.calls()};
}

}  // namespace mivo::hands
