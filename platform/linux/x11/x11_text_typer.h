#pragma once

#include <X11/X.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/linux/x11/x11_keyboard_map.h"
#include "platform/linux/x11/x11_spare_key_bindings.h"
#include "platform/linux/x11/x11_typing_turn.h"

namespace mivo::platform {

class X11Display;

// Types text of any script on an X display, one character after another.
//
// A character that the keyboard map has (X11KeyboardMap: on the US map all
// of printable ASCII, tab and line feed) is typed on its own key, with the
// modifier keys of its level pressed around it, and changes no map. Every
// other one is typed on a spare keycode bound to it (X11SpareKeyBindings),
// together with the characters that come after it: those of the text that
// `prepare` was given, as long as the texts typed follow it, else those of
// the text being typed. A carriage return and a line feed are each Return,
// and the pair of them one Return.
//
// Runs on one display type in turn (X11TypingTurn): a run takes its turn
// when it prepares or first types, and gives it up when the typing ends.
//
// The map is restored once, when the typing ends: when this ends (the run
// releases its event source before it answers), or at the exit of a run that
// fails. A termination signal that comes while keycodes are bound ends the
// run as it would have, once the map is restored: at the next text, or when
// the typing ends. A display that has gone away keeps nothing to restore.
class X11TextTyper {
 public:
  explicit X11TextTyper(X11Display& display);
  X11TextTyper(const X11TextTyper&) = delete;
  X11TextTyper& operator=(const X11TextTyper&) = delete;
  // Ends the typing, if the exit has not.
  ~X11TextTyper();

  // Takes the run's turn to type, and notes `units` as the text that comes,
  // so that what it needs is bound ahead. Raises EventSourceError when the
  // turn does not come (X11TypingTurn::kLongestWait).
  void prepare(const std::u16string& units);

  // Types the characters of `units`. A high surrogate at the end is kept
  // and typed with the low one that begins the next text, so that a
  // character cut between two chunks arrives whole; any other half of a
  // pair is typed as U+FFFD. False, before anything of the text is typed,
  // when a character needs a spare keycode and the display has none; false
  // when the display reported an error.
  bool type(const std::u16string& units);

  // Ends the typing: restores the map, if anything is bound and the display
  // is there, gives the turn up, then obeys the termination signals again,
  // so that one that came meanwhile ends the run now.
  void end();

 private:
  // Turns code units into the keysyms that type them, carrying a high
  // surrogate and a carriage return at the end of one text to the next.
  class KeysymReading {
   public:
    std::vector<KeySym> keysymsOf(const std::u16string& units);

   private:
    std::u16string carried_;
    bool after_carriage_return_ = false;
  };

  // The keysyms that need spare keycodes among `keysyms` from `from` on,
  // up to as many distinct ones as can be bound at once.
  std::vector<KeySym> spareKeysymsComing(const std::vector<KeySym>& keysyms, std::size_t from);
  // Binds keycodes from now on, with the map restored at the end.
  X11SpareKeyBindings& bindings();

  X11Display& display_;
  X11TypingTurn turn_;
  KeysymReading reading_;
  // The keysyms of the text prepared, and how many of them have been typed.
  std::vector<KeySym> coming_;
  std::size_t typed_ = 0;
  // Read at the first text.
  std::optional<X11KeyboardMap> keyboard_;
  std::optional<X11SpareKeyBindings> bindings_;
};

}  // namespace mivo::platform
