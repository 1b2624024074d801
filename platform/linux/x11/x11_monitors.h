#pragma once

#include <X11/Xlib.h>

#include <vector>

namespace mivo::platform {

// One monitor of an X screen: a rectangle of the root window in pixels.
struct X11Monitor {
  // The monitor's name, as an atom, which no other monitor has.
  Atom name;
  int x;
  int y;
  int width;
  int height;
  bool primary;
};

// The active monitors of the screen whose root is `root`, as RandR 1.5 lists
// them; on a server without RandR 1.5 the whole screen is one monitor, named
// None and primary. Empty when the server lists no monitor.
std::vector<X11Monitor> x11Monitors(Display* display, Window root);

// The main display among `monitors`: the primary one, else the first; none
// when there is none.
const X11Monitor* mainMonitor(const std::vector<X11Monitor>& monitors);

}  // namespace mivo::platform
