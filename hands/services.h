#pragma once

#include "platform/input_events.h"
#include "platform/jpeg_encoding.h"
#include "platform/permissions.h"
#include "platform/running_applications.h"
#include "platform/screen_capture.h"
#include "platform/sleeper.h"
#include "platform/termination_signals.h"

namespace mivo::hands {

// The system's services that a run reaches beyond its own process.
struct Services {
  platform::InputEvents& input;
  platform::Sleeper& sleeper;
  platform::TerminationSignals& signals;
  platform::ScreenCapture& screenCapture;
  platform::JpegEncoding& jpeg;
  platform::Permissions& permissions;
  platform::RunningApplications& applications;
};

}  // namespace mivo::hands
