#pragma once

#include <string_view>

#include "hands/answer.h"
#include "hands/events.h"
#include "hands/request.h"
#include "hands/services.h"

namespace mivo::hands {

using Handler = Answer (*)(const Request&, Events&, const Services&);

// One command: the "do" value that names it and its handler.
struct Command {
  std::string_view name;
  Handler handler;
};

// The command that `name` names, compared exactly with each name in the
// order of the table; none when no name is equal.
const Command* findCommand(std::string_view name);

}  // namespace mivo::hands
