#pragma once

#include <memory>
#include <optional>

#include "platform/input_events.h"
#include "platform/linux/x11/x11_display.h"

namespace mivo::platform {

// Input events on the X display that DISPLAY names, posted through the XTest
// extension as if they came from the devices; each post waits until the
// server has handled it.
//
// Positions: a point is a pixel. A position is taken relative to the main
// display's corner (the primary monitor's), rounded to the nearest pixel and
// kept on the screen: one beyond an edge goes to the edge, and NaN to the
// screen's left or top edge.
//
// Mouse events: a button event first moves the pointer to its position when
// the pointer is elsewhere. The left, right and center buttons are X buttons
// 1, 3 and 2. X events carry no click state; an X client counts a double
// click by the time between presses.
//
// Key events: a virtual key code names a key by its place on an ANSI
// keyboard; it is posted on the keycode that the server's keyboard map gives
// for the keysym a US layout has at that place (x11_key_symbols.h). A code
// whose keysym the map lacks is refused. A key does not repeat while it is
// held (its auto-repeat is off from its press to its release), as a key
// posted on the system does not. Text events are typed whole on the way
// down, character by character, on the keys of the keyboard map where it has
// them and on spare keycodes bound for the run where it has not
// (X11TextTyper); the way up posts nothing. Releasing the source restores
// the keyboard map.
//
// Modifier flags, which X events cannot carry, are keys pressed around the
// event and released right after it, or, for a key that holds its
// modifiers, pressed before its key-down and released after its key-up:
// Shift, Control, Option and Command are Shift_L, Control_L, Alt_L and
// Super_L; the secondary function key has no X key and is left out. The
// termination signals wait until the keys are released, so that no run
// leaves a modifier held on the display.
//
// Scrolling: one line is one click of a wheel button: 4 up, 5 down, 6 left,
// 7 right; at most kMostWheelClicks clicks for each wheel.
class X11InputEvents : public InputEvents {
 public:
  // More clicks of one wheel would keep the server and the receiving program
  // busy for minutes and scroll no further than the end of any content.
  static constexpr int kMostWheelClicks = 1000;

  X11InputEvents();
  ~X11InputEvents() override;

  // Raises EventSourceError when the display cannot be opened or has no XTest.
  // A source must not outlive the events that made it.
  std::unique_ptr<EventSource> createEventSource() override;
  // None when the display cannot be opened or the pointer is on another screen.
  std::optional<Position> pointerLocation() override;

  // The connection to the display once an event or the pointer has opened
  // it, for a wait between a press and its release to watch.
  WatchedConnection& connection() { return display_; }

 private:
  X11DisplayOnDemand display_;
};

}  // namespace mivo::platform
