#pragma once

#include <string_view>

#include "platform/input_events.h"

namespace mivo::hands {

// A key and the modifiers to press it with.
struct KeyCombination {
  platform::VirtualKeyCode code;
  platform::EventFlags mask;

  bool operator==(const KeyCombination&) const = default;
};

// `combo`: the key combination that `text` names, its parts separated by
// plus signs and trimmed of space separators and tabs (not of line breaks),
// names compared in lower case. The modifiers are the parts that name one,
// wherever they stand; the key is the last part that does not, and the parts
// before it that name no modifier are ignored. Ends the run through `finish`
// with status 1 when that part names no key, or when no part is left but
// modifiers.
KeyCombination combo(std::string_view text);

}  // namespace mivo::hands
