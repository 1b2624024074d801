#pragma once

#include <optional>
#include <string_view>

#include "hands/request.h"
#include "platform/input_events.h"

namespace mivo::hands {

// A position from the request: the point [x, y] under `key` when the key is
// not empty and the member is one, else the numbers "x" and "y" when both
// are there, else none.
std::optional<platform::Position> point(const Request& request, std::string_view key = "");

}  // namespace mivo::hands
