#pragma once

#include <chrono>
#include <string>

namespace mivo::platform {

class X11Display;

// Types text of any script on an X display, one character after another, by
// binding each character's keysym for a moment to a spare keycode (one that
// the keyboard map leaves without any keysym) and pressing and releasing it.
//
// X clients look a keycode up in the keyboard map when they handle its event,
// which may be well after the server sent it. So each character of a chunk
// gets a keycode of its own (a repeated one shares it), and the map is
// restored only a while (kSettleTime) after the chunk has been typed: reusing
// one keycode, or restoring at once, was seen to garble or lose characters.
// A keysym is bound on every level and group of its keycode, so that no
// modifier or layout group in effect changes the character (a lone Eacute
// would read as é). The map is restored on every way out, with the
// termination signals held back meanwhile.
class X11TextTyper {
 public:
  static constexpr std::chrono::milliseconds kSettleTime{20};

  explicit X11TextTyper(X11Display& display) : display_(display) {}

  // Types the characters of `units`. A high surrogate at the end is kept
  // and typed with the low one that begins the next text, so that a
  // character cut between two chunks arrives whole; any other half of a
  // pair is typed as U+FFFD. False when the display has no spare keycode or
  // reported an error.
  bool type(const std::u16string& units);

 private:
  X11Display& display_;
  std::u16string carried_;
};

}  // namespace mivo::platform
