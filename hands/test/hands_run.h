#pragma once

#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/fake/fake_input_events.h"

namespace mivo::hands {

// One in-process run of mivo-hands on fakes.
struct HandsRun {
  int status;
  std::string standardOutput;
  std::string standardError;
  // The event services' and the sleeper's calls, in one log, in order.
  std::vector<std::string> events;
  // The calls on the process, as FakeProcess records them.
  std::vector<std::string> process;
};

// Runs the program on `request` (none: standard input cannot be read), with
// event services that `script` may set up first, and with every write to
// standard output failing with `output_failure` when one is given.
HandsRun runHands(const std::optional<std::string>& request,
                  const std::function<void(platform::FakeInputEvents&)>& script = {},
                  std::error_code output_failure = {});

}  // namespace mivo::hands
