#pragma once

#include <X11/Xlib.h>

#include <chrono>
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

  // Takes in the pointer events that come within `wait`, for
  // takePointerEvents to give later; whether any came. For watching a
  // program while it runs.
  bool watch(std::chrono::milliseconds wait);

  // While the server is grabbed it handles the requests of this client only:
  // every other client waits in its next request that needs an answer.
  void grabServer();
  void ungrabServer();

  // The buttons and modifiers held now, as an X state mask.
  unsigned heldButtonsAndModifiers();
  // The names of the modifier keys that are down now.
  std::vector<std::string> modifierKeysDown();

 private:
  // Reads what has come in so far into `events_`.
  void readEvents();

  Display* display_;
  Window window_;
  std::vector<std::string> events_;
};

}  // namespace mivo::test
