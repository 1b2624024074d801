#include "hands/commands.h"

#include "hands/application_commands.h"
#include "hands/key_commands.h"
#include "hands/mouse_commands.h"
#include "hands/permission_commands.h"
#include "hands/screenshot.h"

namespace mivo::hands {
namespace {

// The pointer and keyboard commands reach the system through the events alone.
template <Answer (*handler)(const Request&, Events&)>
Answer withEvents(const Request& request, Events& events, const Services&) {
  return handler(request, events);
}

constexpr Command kCommands[] = {
    {"check", check},
    {"ask", ask},
    {"screenshot", screenshot},
    {"cursor", withEvents<cursor>},
    {"move", withEvents<move>},
    {"click", withEvents<click>},
    {"down", withEvents<down>},
    {"up", withEvents<up>},
    {"drag", withEvents<drag>},
    {"scroll", withEvents<scroll>},
    {"type", withEvents<type>},
    {"key", withEvents<key>},
    {"hold", withEvents<hold>},
    {"hide", hide},
    {"show", show},
};

}  // namespace

const Command* findCommand(std::string_view name) {
  for (const Command& command : kCommands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

}  // namespace mivo::hands
