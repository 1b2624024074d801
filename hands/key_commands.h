#pragma once

#include "hands/answer.h"
#include "hands/events.h"
#include "hands/request.h"

namespace mivo::hands {

// The keyboard commands. Each reads its members from the request, posts its
// events with their pauses, and yields its answer; "key" and "hold" end the
// run through `finish` before their first event when their members will not
// do.
Answer type(const Request& request, Events& events);
Answer key(const Request& request, Events& events);
Answer hold(const Request& request, Events& events);

}  // namespace mivo::hands
