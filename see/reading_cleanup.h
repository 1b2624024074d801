#pragma once

#include "see/output.h"
#include "see/screenshot_reading.h"

namespace mivo::see {

// The model's reply made into the reading the answer carries: the kind's
// name, title and summary unchanged, a trimmed to-do that is not blank and a
// due date of the form YYYY-MM-DD, those two only for a task.
Reading cleanReading(const ScreenshotReading& reply);

}  // namespace mivo::see
