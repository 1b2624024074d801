#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <optional>
#include <vector>

#include "platform/linux/x11/x11_focus_ping.h"
#include "platform/linux/x11/x11_spare_key_writer.h"

namespace mivo::platform {

// Keysyms bound to the spare keycodes of the keyboard map (those without any
// keysym) while a run types, so that characters the keyboard lacks can be
// typed, with as few changes of the map as the text needs.
//
// Binding: when a character has no keycode, the characters that come next
// are bound together, in one change (X11SpareKeyWriter): as many distinct
// ones as there are spare keycodes, from this one on. Those bound already
// keep their keycodes; the others take the keycodes that are free, then
// those whose characters do not come in that stretch. The map is restored in
// one change, at the end.
//
// Pacing: a client looks a keycode up when it handles the press, which may
// be well after the server sent it, and each change of the map first costs
// it a reading of the map. A keycode that is bound anew, or restored, before
// the client with the focus has handled its last press gives that press the
// wrong character or none. So a keycode is changed only once its last press
// has settled: once the client with the focus has answered a ping sent after
// it (X11FocusPing), or, from a client that takes no pings, kSettleTime
// after the client can have taken in the press, which is when it was sent,
// or later while it is still taking in the changes of the map before it,
// reckoned at kChangeTime a change. Meanwhile such a client is nudged every
// kNudgeInterval, so that one that waits for input before it goes on with
// the keys it has read (xedit) goes on.
class X11SpareKeyBindings {
 public:
  // How long after a press the clients may still look its keycode up, once
  // they have taken in the changes of the map before it. Measured with xterm
  // typing 200 distinct CJK characters, one change of the map for each, on
  // an idle machine 25 ms was enough and with xterm sharing its core with
  // four busy processes 150 ms; this is that with room to spare.
  static constexpr std::chrono::milliseconds kSettleTime{250};
  // How long a busy client (a GTK window, a window manager that grabs its
  // keys anew) may take over one change of the map.
  static constexpr std::chrono::milliseconds kChangeTime{60};
  // How long a client that takes pings may take to answer one before the
  // time alone tells; one that has not answered is not asked again.
  static constexpr std::chrono::seconds kLongestAnswer{5};
  // How often a client that takes no pings is nudged while its keys settle.
  static constexpr std::chrono::milliseconds kNudgeInterval{50};

  // `spare` must not be empty; `has_xkb` whether the display has XKB;
  // `capitals_locked` whether Caps Lock is on.
  X11SpareKeyBindings(Display* display, std::vector<KeyCode> spare, int keysyms_per_keycode,
                      bool has_xkb, bool capitals_locked);
  X11SpareKeyBindings(const X11SpareKeyBindings&) = delete;
  X11SpareKeyBindings& operator=(const X11SpareKeyBindings&) = delete;

  // How many keysyms can be bound at once.
  std::size_t capacity() const { return bindings_.size(); }

  // The keycode that types `keysym`; none while it is not bound.
  std::optional<KeyCode> keyCodeOf(KeySym keysym) const;

  // Binds the keysyms of `coming`, in order, the first of which is needed
  // now, as many distinct ones as fit (those after them are not looked at);
  // waits for the keycodes it changes to settle.
  void bindAhead(const std::vector<KeySym>& coming);

  // Notes a press of `code` that has been queued; `sent` once the presses
  // queued so far have reached the server.
  void pressed(KeyCode code);
  void sent();

  // Restores the map once every bound keycode has settled. Waits for the
  // server to have done it.
  void restore();

 private:
  using Clock = std::chrono::steady_clock;

  struct Binding {
    KeyCode code;
    KeySym keysym = NoSymbol;
    // From when it may be changed, unless a press is still on its way.
    Clock::time_point settled;
    bool press_unsent = false;
  };

  // Sends the presses that are queued, so that the time they settle is known.
  void sendPresses();
  // Waits until the presses sent so far have settled, `settled` at the
  // latest unless the client with the focus is asked and answers later.
  void waitUntilSettled(Clock::time_point settled);
  // Changes the map, and counts what the change costs the clients.
  void change(const std::vector<X11SpareKeyWriter::Binding>& changes);

  Display* display_;
  X11SpareKeyWriter writer_;
  X11FocusPing focus_;
  std::vector<Binding> bindings_;
  // Until when the clients may still be taking in the changes of the map.
  Clock::time_point clients_busy_until_;
};

}  // namespace mivo::platform
