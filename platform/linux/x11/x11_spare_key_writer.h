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
// A bound keycode gives its keysym on both levels of its one group (with
// XKB, of the TWO_LEVEL type), as a core binding of the keysym to every
// column gives it: no modifier or layout group in effect changes it, and
// clients that read the core map (Xt's own tables) find it without a case
// conversion of their own.
class X11SpareKeyWriter {
 public:
  struct Binding {
    KeyCode code;
    // NoSymbol makes the keycode spare again, as it was.
    KeySym keysym;
  };

  // `spare` are the keycodes it may change, with nothing bound to them yet;
  // `keysyms_per_keycode` is the width of the core map; `has_xkb` whether
  // the display has XKB.
  X11SpareKeyWriter(Display* display, const std::vector<KeyCode>& spare, int keysyms_per_keycode,
                    bool has_xkb);
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
  bool xkb_ = false;
  std::vector<SpareKey> spare_;
};

}  // namespace mivo::platform
