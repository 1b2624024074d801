#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/fake/fake_input_events.h"
#include "platform/fake/fake_jpeg_encoding.h"
#include "platform/fake/fake_permissions.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_running_applications.h"
#include "platform/fake/fake_screen_capture.h"
#include "platform/fake/fake_termination_signals.h"

namespace mivo::hands {

// One in-process run of mivo-hands on fakes.
struct HandsRun {
  int status;
  std::string standardOutput;
  std::string standardError;
  // The calls on the system's services (events, the sleeper, the signals,
  // the screen capture, the JPEG encoding, the permissions and the running
  // applications), in one log, in order.
  std::vector<std::string> events;
  // The calls on the process, as FakeProcess records them.
  std::vector<std::string> process;
};

// The fakes a run is made on, for a script to set up before it starts.
struct HandsFakes {
  platform::FakeInputEvents& input;
  platform::FakeTerminationSignals& signals;
  foundation::FakeProcess& process;
  platform::FakeScreenCapture& screenCapture;
  platform::FakeJpegEncoding& jpeg;
  platform::FakePermissions& permissions;
  platform::FakeRunningApplications& applications;
};

// Runs the program on `request` (none: standard input cannot be read), on
// fakes that `script` may set up first.
HandsRun runHands(const std::optional<std::string>& request,
                  const std::function<void(HandsFakes&)>& script = {});

}  // namespace mivo::hands
