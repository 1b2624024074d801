#pragma once

#include "hands/answer.h"
#include "hands/events.h"
#include "hands/request.h"

namespace mivo::hands {

// The pointer commands. Each reads its members from the request, posts its
// events with their pauses, and yields its answer; "move", "click", "drag"
// and "scroll" end the run through `finish` before their first event when
// their members will not do.
Answer cursor(const Request& request, Events& events);
Answer move(const Request& request, Events& events);
Answer click(const Request& request, Events& events);
Answer down(const Request& request, Events& events);
Answer up(const Request& request, Events& events);
Answer drag(const Request& request, Events& events);
Answer scroll(const Request& request, Events& events);

}  // namespace mivo::hands
