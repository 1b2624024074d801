#pragma once

#include <string_view>
#include <vector>

#include "platform/linux/visual_lines.h"

namespace mivo::platform {

// A word as one reading of the picture found it, its box in the picture's own
// pixels, with the recogniser's confidence in it (0 to 100).
struct ReadWord {
  BoxedWord word;
  float confidence;
};

// The words to keep of two readings of one picture, one at its own size and
// one at twice it: where the two found the same word (their boxes overlap),
// the reading at twice the size when the word is lower than 20 pixels (screen
// text is smaller than the text the recogniser learnt from), else the reading
// at its own size; a word that only one reading found, from that one. Of two
// words of one reading on the same place, the surer one. Words the recogniser
// is less than half sure of are dropped: what it reads in clock faces, icons
// and window buttons.
std::vector<BoxedWord> chosenWords(const std::vector<ReadWord>& ownSize,
                                   const std::vector<ReadWord>& doubled);

// Whether `line` holds a letter or a digit of any script, not only
// punctuation and symbols.
bool holdsALetterOrDigit(std::string_view line);

}  // namespace mivo::platform
