#pragma once

#include "hands/answer.h"
#include "hands/events.h"
#include "hands/request.h"
#include "hands/services.h"

namespace mivo::hands {

// "check": whether the screen may be recorded, then whether the computer may
// be controlled, as the system says now.
Answer check(const Request& request, Events& events, const Services& services);

// "ask": asks the system for both permissions, then answers as "check" does,
// with the state right after the requests.
Answer ask(const Request& request, Events& events, const Services& services);

}  // namespace mivo::hands
