#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input_events.h"

namespace mivo::hands {

// The flag mask of the modifiers that `names` name, each name compared in
// lower case; a name that is no modifier adds nothing and is no error.
platform::EventFlags flags(const std::vector<std::string>& names);

// `modifierNames`: the names that `flags` knows, in lower case; built at the
// first use.
const std::set<std::string, std::less<>>& modifierNames();

// The pieces of `text` between its plus signs, without the empty ones;
// nothing is trimmed.
std::vector<std::string> plusSeparatedPieces(std::string_view text);

}  // namespace mivo::hands
