#pragma once

#include "platform/input_events.h"
#include "platform/sleeper.h"
#include "platform/termination_signals.h"

namespace mivo::hands {

// The system's services that a run reaches beyond its own process.
struct Services {
  platform::InputEvents& input;
  platform::Sleeper& sleeper;
  platform::TerminationSignals& signals;
};

}  // namespace mivo::hands
