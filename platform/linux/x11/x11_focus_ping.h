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
//
// A client may also wait for input to come before it goes on with the events
// it has read already: xedit, when a closing bracket is typed, shows the
// bracket it matches until the next input comes, up to 0.5 s. Keys pressed
// after the bracket then wait with it, and were their keycodes restored or
// bound anew meanwhile, they would give it the wrong characters or none. A
// nudge, a message of no meaning to the window the keys go to, is such input.
class X11FocusPing {
 public:
  using Clock = std::chrono::steady_clock;

  explicit X11FocusPing(Display* display);

  // Pings the client with the focus and waits until it answers, or until
  // `until`; whether it answered. False at once when it takes no pings, or
  // has let a ping of this run go unanswered.
  bool answered(Clock::time_point until);

  // Sends a nudge to the window that the keys go to, if there is one.
  void nudge();

 private:
  // The window with the focus, or the innermost window under the pointer
  // when the focus follows it; None when there is no focus.
  Window keyWindow();
  // The window of the client that the keys go to, when it takes pings.
  Window pingableFocus();
  bool takesPings(Window window);

  Display* display_;
  Atom protocols_;
  Atom ping_;
  Atom nudge_;
  long sent_ = 0;
  bool unanswered_ = false;
};

}  // namespace mivo::platform
