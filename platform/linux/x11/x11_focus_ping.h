#pragma once

#include <X11/Xlib.h>

#include <chrono>

namespace mivo::platform {

// Asks the client that has the keyboard focus to say when it has handled the
// events sent to it so far, where it answers the window manager's ping
// (_NET_WM_PING, which GTK and Qt windows answer): a client handles its
// events in order, so its answer comes once it has looked up every key
// pressed before the ping, and their keycodes may then change. Xt clients
// (xterm, xedit) take no pings; for them only the time tells.
class X11FocusPing {
 public:
  using Clock = std::chrono::steady_clock;

  explicit X11FocusPing(Display* display);

  // Pings the client with the focus and waits until it answers, or until
  // `until`; whether it answered. False at once when it takes no pings, or
  // has let a ping of this run go unanswered.
  bool answered(Clock::time_point until);

 private:
  // The window of the client that the keys go to, when it takes pings.
  Window pingableFocus();
  bool takesPings(Window window);

  Display* display_;
  Atom protocols_;
  Atom ping_;
  long sent_ = 0;
  bool unanswered_ = false;
};

}  // namespace mivo::platform
