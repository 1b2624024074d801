#pragma once

#include <X11/Xlib.h>

#include <optional>
#include <string>

namespace mivo::test {

// The window named `name` (its WM_NAME) that is on the screen, wherever it
// is in the tree (a window manager puts it into a frame of its own); none
// while there is none.
std::optional<Window> viewableWindowNamed(Display* display, const std::string& name);

// Gives the keyboard to what lies at (`x`, `y`) of `window`: the pointer
// goes there and the focus follows the pointer, so that the keys go to the
// innermost window at that place, the text area of a client.
void focusAt(Display* display, Window window, int x, int y);

// What the file at `path` holds; "" while there is none.
std::string fileContents(const std::string& path);

// Locks Caps Lock on the server of `display`, or unlocks it, as its key
// would.
void lockCapitals(const std::string& display, bool locked);

// Presses and releases the key of `keysym`, with Control held when
// `control`, as the keyboard would.
void pressKey(Display* display, KeySym keysym, bool control = false);

}  // namespace mivo::test
