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
  platform::FakeScreenCapture screen_capture(events);
  platform::FakeJpegEncoding jpeg(events);
  platform::FakePermissions permissions(events);
  platform::FakeRunningApplications applications(events);
  foundation::FakeProcess process(request);
  HandsFakes fakes{input, signals, process, screen_capture, jpeg, permissions, applications};
  if (script) script(fakes);
  const Services services{.input = input,
                          .sleeper = sleeper,
                          .signals = signals,
                          .screenCapture = screen_capture,
                          .jpeg = jpeg,
                          .permissions = permissions,
                          .applications = applications};
  const int status = foundation::runUntilExit(process, [&] { Hands::main(services); });
  return {status, process.standardOutput(), process.standardError(), events, process.calls()};
}

}  // namespace mivo::hands
