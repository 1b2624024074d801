#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <vector>

namespace mivo::platform {

// Keysyms bound to the spare keycodes of the keyboard map (those without any
// keysym) for as long as a run types, so that characters the keyboard lacks
// can be typed.
//
// A client looks a keycode up in the map when it handles the press, which
// may be well after the server sent it: every binding costs each client a
// fetch of the whole map, and a busy client falls behind. A keycode that is
// bound to another keysym, or restored, before the client has handled its
// last press gives that press the wrong character or none. So a binding
// stays: each keysym gets its keycode at its first need and keeps it, and
// only when every spare keycode is taken is the least recently used one
// bound anew, no sooner than kSettleTime after its last press; the map is
// restored once, at the end, kSettleTime after the last press.
//
// A keysym is bound on every level and group of its keycode, so that no
// modifier or layout group in effect changes the character (a lone Eacute
// would read as é).
class X11SpareKeyBindings {
 public:
  // How long after a press the clients may still look its keycode up.
  // Measured with xterm typing 200 distinct CJK characters through the 19
  // spare keycodes of Xvfb's map: on an idle machine 10 ms garbled them and
  // 25 ms was enough; with xterm sharing its core with two busy processes
  // 50 ms lost characters and 100 ms was enough; with four, 100 ms lost
  // some and 150 ms was enough (each binding costs xterm about 2 ms of its
  // core, to fetch the map again). This is that last figure with room to
  // spare; it paces only the rebinding and the final restoring.
  static constexpr std::chrono::milliseconds kSettleTime{250};

  // `spare` must not be empty.
  X11SpareKeyBindings(Display* display, std::vector<KeyCode> spare, int keysyms_per_keycode);
  X11SpareKeyBindings(const X11SpareKeyBindings&) = delete;
  X11SpareKeyBindings& operator=(const X11SpareKeyBindings&) = delete;

  // The keycode that types `keysym`, bound now if it is not yet; may wait
  // for a keycode to be free for it.
  KeyCode keyCodeFor(KeySym keysym);

  // Notes a press of `code` that has been queued; `sent` once the presses
  // queued so far have reached the server.
  void pressed(KeyCode code);
  void sent();

  // Restores the map, kSettleTime after the last press: every keycode bound
  // goes back to no keysym. Waits for the server to have done it.
  void restore();

 private:
  using Clock = std::chrono::steady_clock;

  struct Binding {
    KeyCode code;
    KeySym keysym = NoSymbol;
    // When it was last used, in uses of any binding.
    std::uint64_t last_use = 0;
    // When its last press reached the server, unless that press is still
    // on its way.
    Clock::time_point last_press;
    bool press_unsent = false;
  };

  // Binds `keysym` to the keycode of `binding`.
  void bind(Binding& binding, KeySym keysym);
  // Waits until kSettleTime has passed since `binding`'s last press.
  void settle(const Binding& binding);

  Display* display_;
  int keysyms_per_keycode_;
  std::vector<Binding> bindings_;
  std::uint64_t uses_ = 0;
};

}  // namespace mivo::platform
