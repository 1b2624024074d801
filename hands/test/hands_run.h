#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/fake/fake_input_events.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_termination_signals.h"

namespace mivo::hands {

// One in-process run of mivo-hands on fakes.
struct HandsRun {
  int status;
  std::string standardOutput;
  std::string standardError;
  // The event services', the sleeper's and the signals' calls, in one log,
  // in order.
  std::vector<std::string> events;
  // The calls on the process, as FakeProcess records them.
  std::vector<std::string> process;
};

// The fakes a run is made on, for a script to set up before it starts.
struct HandsFakes {
  platform::FakeInputEvents& input;
  platform::FakeTerminationSignals& signals;
  foundation::FakeProcess& process;
};

// Runs the program on `request` (none: standard input cannot be read), on
// fakes that `script` may set up first.
HandsRun runHands(const std::optional<std::string>& request,
                  const std::function<void(HandsFakes&)>& script = {});

}  // namespace mivo::hands
