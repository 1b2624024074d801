#pragma once

#include <leptonica/allheaders.h>

#include <vector>

#include "platform/linux/text_recognition/leptonica_pointers.h"

namespace mivo::platform {

// A part of a picture to read on its own, at `scale` times its size: the
// pixels that `mask` (one bit each) marks in the box of `width` x `height`
// pixels at (`x`, `y`).
struct TextPart {
  int scale;
  PixPointer mask;
  l_int32 x;
  l_int32 y;
  l_int32 width;
  l_int32 height;
};

// The parts of an 8-bit grey picture of dark text on white to read apart from
// the rest, which is read as it is. The recogniser reads text best at 20 to
// 40 pixels a line, and it runs the lines of what it reads as one together
// where they stand side by side: small letters then cut to the size of the
// larger ones beside them, or a sidebar's line run into the letters of the
// article's lines above and below it, whose words come out twice or cut.
// - The letters (dark shapes of 3 pixels high or more, up to three times as
//   high as the letters beside them) that follow each other on a line at word
//   spacing make a phrase, with the marks among them (dots, dashes). A phrase
//   whose letters stand lower than 20 pixels is read at twice its size, lower
//   than 11 pixels at three times; a part enlarged holds 2^28 pixels at most,
//   and no side of it longer than Tesseract reads with a border (32751).
// - Phrases of one scale stacked at most two lines apart make a block; blocks
//   whose phrases stand side by side on overlapping rows but not in line are
//   read in separate parts.
// None when the picture holds more than 100000 shapes, noise rather than a
// screen. Throws RecognitionError.
std::vector<TextPart> partsReadApart(Pix* grey);

}  // namespace mivo::platform
