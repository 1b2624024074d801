#include "hands/commands.h"

#include "hands/key_commands.h"
#include "hands/mouse_commands.h"

namespace mivo::hands {
namespace {

constexpr Command kCommands[] = {
    {"check", nullptr},
    {"ask", nullptr},
    {"screenshot", nullptr},
    {"cursor", cursor},
    {"move", move},
    {"click", click},
    {"down", down},
    {"up", up},
    {"drag", drag},
    {"scroll", scroll},
    {"type", type},
    {"key", key},
    {"hold", hold},
    {"hide", nullptr},
    {"show", nullptr},
};

}  // namespace

const Command* findCommand(std::string_view name) {
  for (const Command& command : kCommands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

}  // namespace mivo::hands
