#pragma once

#include <map>
#include <string>

#include "platform/input_events.h"

namespace mivo::hands {

// `keyCodes`: the 92 key names, in lower case, and the virtual key codes of
// their keys, built at the first use in four groups: the named keys, the
// letters, the digits and the single punctuation characters that stand for
// named keys. The plus sign names no key: it separates the parts of a key
// combination.
const std::map<std::string, platform::VirtualKeyCode, std::less<>>& keyCodes();

}  // namespace mivo::hands
