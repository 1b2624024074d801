#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <string>

namespace mivo::test {

// A window of an application of the test's own on an X display: one
// top-level window of one colour, with the WM_CLASS class that stands for
// its bundle identifier, or without WM_CLASS when the class is empty.
class XAppWindow {
 public:
  struct Place {
    int x;
    int y;
    int width;
    int height;
  };

  // Shown unless `mapped` is false, and then on the screen once this
  // returns. Raises std::runtime_error when the display cannot be opened or
  // the window does not show within 10 s. `colour` is a colour name of X
  // ("red", "white").
  XAppWindow(const std::string& display, const std::string& wm_class, const std::string& colour,
             Place place, bool mapped = true);
  XAppWindow(const XAppWindow&) = delete;
  XAppWindow& operator=(const XAppWindow&) = delete;
  ~XAppWindow();

  // Whether it is on the screen now.
  bool viewable();
  // Whether it is mapped now (on the screen but for a parent that is not).
  bool mapped();
  // Whether it has the keyboard focus now.
  bool focused();
  // Its WM_STATE state (1 normal, 3 iconic); -1 without one.
  long wmState();
  // Whether a window manager has put it into a frame of its own.
  bool framed();
  // Where it is on the screen now, in root coordinates.
  Place onScreen();

 private:
  XWindowAttributes attributes();

  Display* display_;
  Window window_;
};

// Whether `condition` holds within `wait`, looked at every 10 ms: for the
// work of a window manager, which acts in its own time.
bool holdsWithin(const std::function<bool()>& condition,
                 std::chrono::milliseconds wait = std::chrono::seconds(10));

}  // namespace mivo::test
