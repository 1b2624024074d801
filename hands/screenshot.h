#pragma once

#include "hands/answer.h"
#include "hands/events.h"
#include "hands/request.h"
#include "hands/services.h"

namespace mivo::hands {

// "screenshot": the main display, or a rectangle of it, as one JPEG no
// larger than "max" pixels a side, with the pointer drawn in and the windows
// of the "exclude" applications left out. Raises platform::CaptureError when
// the system will not give the content or the image; ends the run through
// `finish` when there is no display, the rectangle lies outside it, the size
// cannot be held, or no JPEG can be made.
//
// It runs on the calling thread: the two requests to the system wait for
// their results in turn.
Answer screenshot(const Request& request, Events& events, const Services& services);

}  // namespace mivo::hands
