#pragma once

#include <X11/X.h>

#include <optional>

#include "platform/input_events.h"

namespace mivo::platform {

// The X keysym of the key at the place that `code` names on an ANSI
// keyboard, as a US layout labels it (the lower-case letter, the unshifted
// digit or punctuation mark, Return, F5, Left, and so on); none for a code
// that names no key the programs press.
std::optional<KeySym> keySymAtKeyCode(VirtualKeyCode code);

// The keysym that types `character`: Latin-1 characters are their own
// keysyms, a line feed or carriage return is Return and a tab Tab, and every
// other character its Unicode keysym.
KeySym keySymTyping(char32_t character);

}  // namespace mivo::platform
