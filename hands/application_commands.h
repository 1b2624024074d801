#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "hands/answer.h"
#include "hands/events.h"
#include "hands/request.h"
#include "hands/services.h"

namespace mivo::hands {

// `apps`: the running instances of the application `identifier` names, in
// the system's order.
std::vector<std::unique_ptr<platform::RunningApplication>> apps(const Services& services,
                                                                std::string_view identifier);

// "hide": hides every instance of each application of "bundles", in order,
// then pauses once, always.
Answer hide(const Request& request, Events& events, const Services& services);

// "show": unhides and activates every instance of the application "bundle"
// names, one after the other, with no pause.
Answer show(const Request& request, Events& events, const Services& services);

}  // namespace mivo::hands
