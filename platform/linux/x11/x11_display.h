#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/linux/x11/watched_connection.h"

namespace mivo::platform {

// One connection to the X display that DISPLAY names, with what the backends
// need to know of its screen. X errors do not end the process, as Xlib's own
// handler would: they are counted, and `sync` reports them.
//
// A connection that breaks (the server ended) cannot be used again, and Xlib
// ends the process when it finds it broken, with a line of its own. For every
// connection of the process, `whenLost` says what happens instead.
class X11Display {
 public:
  // None when the display cannot be opened.
  static std::unique_ptr<X11Display> open();
  // The display that DISPLAY names, for messages; "" when it is not set.
  static std::string name();

  // `lost` is called, in place of Xlib's end, when a connection of the
  // process is found broken; it must end the process and make no X call.
  static void whenLost(void (*lost)());
  // Whether a connection of the process has been found broken: no X call can
  // be made on it any more.
  static bool lost();

  X11Display(const X11Display&) = delete;
  X11Display& operator=(const X11Display&) = delete;
  ~X11Display();

  Display* handle() const { return display_; }
  int screen() const { return screen_; }
  Window root() const { return RootWindow(display_, screen_); }
  // The screen's size in pixels.
  int width() const { return DisplayWidth(display_, screen_); }
  int height() const { return DisplayHeight(display_, screen_); }
  // Where the main display's top-left corner lies on the screen: the
  // primary monitor's, else the first monitor's, else the screen's own.
  int mainDisplayX() const { return main_x_; }
  int mainDisplayY() const { return main_y_; }

  struct Pixel {
    int x;
    int y;
  };
  // Where the pointer is on the screen; none when it is on another screen.
  std::optional<Pixel> pointer() const;

  // Sends what is queued and waits until the server has handled it; false
  // when the server reported an error since the last sync.
  bool sync();

  // Reads and drops what the server has sent (no backend asks for events,
  // but the server tells every client of keyboard map changes).
  void takeInEvents();

 private:
  explicit X11Display(Display* display);
  void findMainDisplay();

  Display* display_;
  int screen_;
  int errors_at_last_sync_;
  int main_x_ = 0;
  int main_y_ = 0;
};

// The display that DISPLAY names, opened at the first need and kept. As a
// watched connection it is none until it has been opened.
class X11DisplayOnDemand : public WatchedConnection {
 public:
  // None when it cannot be opened.
  X11Display* get();

  int descriptor() override;
  void takeIn() override;

 private:
  std::unique_ptr<X11Display> display_;
  bool tried_opening_ = false;
};

}  // namespace mivo::platform
