#pragma once

#include "platform/system_version.h"

namespace mivo::model {

// The model OS gate: the system is macOS 26.0.0 or later. Below it nothing of
// the model framework may be touched at all.
bool passesModelOsGate(platform::SystemVersion& system);

// macOS 27 or later, which has the newer generation-options initializer and
// the content parsing error.
bool isMacOS27OrLater(platform::SystemVersion& system);

}  // namespace mivo::model
