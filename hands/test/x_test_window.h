#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace mivo::test {

// A client of the test's own on an X display: one window over the whole
// screen that records what the pointer does in it, and looks at the state
// of the pointer and the keys.
class XTestWindow {
 public:
  // Raises std::runtime_error when the display cannot be opened or the
  // window does not show.
  explicit XTestWindow(const std::string& display);
  XTestWindow(const XTestWindow&) = delete;
  XTestWindow& operator=(const XTestWindow&) = delete;
  ~XTestWindow();

  // The pointer events that came in since the last call, in order, as
  //   "motion at (X, Y) state 0xS"
  //   "press B at (X, Y) state 0xS", "release B at (X, Y) state 0xS"
  // where the state is the buttons and modifiers held just before the event.
  // Whatever a program posted before it ended is here: the server handled
  // it before it answered the program's last request.
  std::vector<std::string> takePointerEvents();

  // The buttons and modifiers held now, as an X state mask.
  unsigned heldButtonsAndModifiers();
  // The names of the modifier keys that are down now.
  std::vector<std::string> modifierKeysDown();

 private:
  Display* display_;
  Window window_;
};

}  // namespace mivo::test
