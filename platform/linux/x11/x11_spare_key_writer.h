#pragma once

#include <X11/Xlib.h>

#include <vector>

namespace mivo::platform {

// Binds keysyms to spare keycodes (those with no keysym at all) and makes
// them spare again, many keycodes in one change of the keyboard map.
//
// Every change of the map makes each client of the display read the map
// again: a window manager also grabs its key bindings anew on every window,
// and a busy client falls behind the keys it is sent. The spare keycodes lie
// apart, and a core request changes one run of neighbouring keycodes, so
// with XKB the change is one request for the whole span between the lowest
// and the highest keycode changed: the keys in between are sent back as the
// server has them, read and written under a grab of the server so that no
// other client's change can come between. Without XKB each run of
// neighbouring keycodes is one core request.
//
// A bound keycode gives its keysym whatever layout group is in effect. With
// Caps Lock off it has the keysym on both of its levels, so that clients
// that read the core map (Xt's own tables) find it without a case
// conversion of their own; and it gives its keysym with Caps Lock on too:
// - with XKB its one group is of the ALPHABETIC type, whose two levels
//   Shift and Caps Lock choose, so that a client takes the lock in with the
//   level and does not capitalise what the key gives by itself (Xlib does
//   for a key whose type leaves the lock out, and gives nothing where the
//   capital is beyond what it can write, as for ß). With Caps Lock on, the
//   level without the lock holds the keysym's other case, since GTK counts
//   the lock as taken in only where it changes the keysym;
// - without XKB the keysym is bound to every column of the core map, and
//   the core protocol gives the capital of a letter under Caps Lock.
class X11SpareKeyWriter {
 public:
  struct Binding {
    KeyCode code;
    // NoSymbol makes the keycode spare again, as it was.
    KeySym keysym;
  };

  // `spare` are the keycodes it may change, with nothing bound to them yet;
  // `keysyms_per_keycode` is the width of the core map; `has_xkb` whether
  // the display has XKB; `capitals_locked` whether Caps Lock is on.
  X11SpareKeyWriter(Display* display, const std::vector<KeyCode>& spare, int keysyms_per_keycode,
                    bool has_xkb, bool capitals_locked);
  X11SpareKeyWriter(const X11SpareKeyWriter&) = delete;
  X11SpareKeyWriter& operator=(const X11SpareKeyWriter&) = delete;

  // Queues the bindings, in one change when the display has XKB.
  void write(const std::vector<Binding>& bindings);

 private:
  // A spare key's entry in the XKB map as it was, to be put back.
  struct SpareKey {
    KeyCode code;
    unsigned char kt_index[4];
    unsigned char group_info;
    unsigned char width;
  };

  void writeWithXkb(const std::vector<Binding>& bindings);
  void writeToTheCoreMap(const std::vector<Binding>& bindings);

  Display* display_;
  int keysyms_per_keycode_;
  bool capitals_locked_;
  bool xkb_ = false;
  std::vector<SpareKey> spare_;
};

}  // namespace mivo::platform
