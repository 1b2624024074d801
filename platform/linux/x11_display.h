#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <optional>
#include <string>

namespace mivo::platform {

// One connection to the X display that DISPLAY names, with what the backends
// need to know of its screen. X errors do not end the process, as Xlib's own
// handler would: they are counted, and `sync` reports them.
class X11Display {
 public:
  // None when the display cannot be opened.
  static std::unique_ptr<X11Display> open();
  // The display that DISPLAY names, for messages; "" when it is not set.
  static std::string name();

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

 private:
  explicit X11Display(Display* display);
  void findMainDisplay();

  Display* display_;
  int screen_;
  int errors_at_last_sync_;
  int main_x_ = 0;
  int main_y_ = 0;
};

// The display that DISPLAY names, opened at the first need and kept.
class X11DisplayOnDemand {
 public:
  // None when it cannot be opened.
  X11Display* get();

 private:
  std::unique_ptr<X11Display> display_;
  bool tried_opening_ = false;
};

}  // namespace mivo::platform
