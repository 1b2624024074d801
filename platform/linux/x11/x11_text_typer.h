#pragma once

#include <X11/X.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/linux/x11/x11_keyboard_map.h"
#include "platform/linux/x11/x11_spare_key_bindings.h"

namespace mivo::platform {

class X11Display;

// Types text of any script on an X display, one character after another.
//
// A character that the keyboard map has (X11KeyboardMap: on the US map all
// of printable ASCII, tab and line feed) is typed on its own key, with the
// modifier keys of its level pressed around it, and changes no map. Every
// other one is typed on a spare keycode bound to it for the rest of the run
// (X11SpareKeyBindings). A carriage return and a line feed are each Return,
// and the pair of them one Return.
//
// The map is restored once, when the typing ends: when this ends (the run
// releases its event source before it answers), or at the exit of a run that
// fails. A termination signal that comes while keycodes are bound ends the
// run as it would have, once the map is restored: at the next text, or when
// the typing ends. A display that has gone away keeps nothing to restore.
class X11TextTyper {
 public:
  explicit X11TextTyper(X11Display& display) : display_(display) {}
  X11TextTyper(const X11TextTyper&) = delete;
  X11TextTyper& operator=(const X11TextTyper&) = delete;
  // Ends the typing, if the exit has not.
  ~X11TextTyper();

  // Types the characters of `units`. A high surrogate at the end is kept
  // and typed with the low one that begins the next text, so that a
  // character cut between two chunks arrives whole; any other half of a
  // pair is typed as U+FFFD. False, before anything of the text is typed,
  // when a character needs a spare keycode and the display has none; false
  // when the display reported an error.
  bool type(const std::u16string& units);

  // Ends the typing: restores the map, if anything is bound and the display
  // is there, then obeys the termination signals again, so that one that
  // came meanwhile ends the run now.
  void end();

 private:
  // The keysyms that type `units`, with the carry of a surrogate and of a
  // carriage return from the text before.
  std::vector<KeySym> keysymsOf(const std::u16string& units);
  // Binds keycodes from now on, with the map restored at the end.
  X11SpareKeyBindings& bindings();

  X11Display& display_;
  std::u16string carried_;
  bool after_carriage_return_ = false;
  // Read at the first text.
  std::optional<X11KeyboardMap> keyboard_;
  std::optional<X11SpareKeyBindings> bindings_;
};

}  // namespace mivo::platform
