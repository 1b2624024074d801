#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <utility>
#include <string>
#include <vector>

namespace mivo::test {

// The keyboard map of `display` now: every keysym of every keycode, from the
// lowest keycode on; with how many keysyms each keycode has.
std::vector<KeySym> keyboardMapOf(Display* display, int* keysyms_per_keycode = nullptr);

// The keyboard of `display` now as XKB describes it to clients: its key
// types, and for every key its groups, levels, keysyms, actions, modifiers
// and what is explicit about it, as numbers.
std::vector<unsigned long> xkbKeyboardOf(Display* display);

// A client of the test's own on an X display: one window over the whole
// screen, with the keyboard focus, that records what the pointer and the keys
// do in it, and looks at the state of the pointer and the keys.
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

  // The key events that came in since the last call, in order, as
  //   "press K state 0xS", "release K state 0xS"
  // where K is the character the key types as the keyboard map stood when
  // the event came (its level chosen by Shift), or the keysym's name for a
  // key that types none (Return, Shift_L). The map changes under a program
  // that types, so only events taken in while it runs (`watch`) read right.
  std::vector<std::string> takeKeyEvents();

  // Takes in the events that come within `wait`, for takePointerEvents and
  // takeKeyEvents to give later; whether any came. For watching a program
  // while it runs.
  bool watch(std::chrono::milliseconds wait);

  // While the server is grabbed it handles the requests of this client only:
  // every other client waits in its next request that needs an answer.
  void grabServer();
  void ungrabServer();

  // The buttons and modifiers held now, as an X state mask.
  unsigned heldButtonsAndModifiers();
  // The names of the modifier keys that are down now.
  std::vector<std::string> modifierKeysDown();
  // The keycodes of all keys that are down now.
  std::vector<int> keysDown();
  // The server's keyboard map now: every keysym of every keycode.
  std::vector<KeySym> keyboardMap();
  // How many times the keyboard map changed, as the events that came in
  // since the last call tell.
  int takeKeyboardMapChanges();
  // The keycodes of the keys that repeat while held, now.
  std::vector<int> repeatingKeys();

  // From now on it takes the window manager's ping (_NET_WM_PING), as GTK
  // windows do, and answers each `delay` after it came, in `watch`.
  void answerPingsAfter(std::chrono::milliseconds delay);
  struct Pings {
    int answered = 0;
    // Changes of the keyboard map that came while a ping was unanswered.
    int map_changes_before_an_answer = 0;
  };
  // What pings did since the last call.
  Pings takePings();

 private:
  // Reads what has come in so far into `events_` and `key_events_`.
  void readEvents();
  std::string keyEvent(const XKeyEvent& event) const;

  Display* display_;
  Window window_;
  std::vector<std::string> events_;
  std::vector<std::string> key_events_;
  // The keyboard map as the events read so far left it.
  int min_keycode_ = 0;
  int keysyms_per_keycode_ = 0;
  std::vector<KeySym> keymap_;
  int keyboard_map_changes_ = 0;
  Atom ping_ = None;
  std::chrono::milliseconds answer_after_{0};
  // The pings that came, not yet answered, with when they came.
  std::vector<std::pair<XClientMessageEvent, std::chrono::steady_clock::time_point>> pings_;
  Pings ping_counts_;
};

}  // namespace mivo::test
