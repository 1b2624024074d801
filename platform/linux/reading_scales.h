#pragma once

#include <leptonica/allheaders.h>

#include <vector>

#include "platform/linux/leptonica_pointers.h"

namespace mivo::platform {

// A part of a picture to read enlarged, `scale` times its size: the pixels
// that `mask` (one bit each, the picture's size) marks, all within the box of
// `width` x `height` pixels at (`x`, `y`).
struct EnlargedPart {
  int scale;
  PixPointer mask;
  l_int32 x;
  l_int32 y;
  l_int32 width;
  l_int32 height;
};

// The parts of an 8-bit grey picture of dark text on white to read enlarged,
// one per scale: the recogniser reads text best at 20 to 40 pixels a line,
// and a screen holds text of several sizes side by side, whose lines it runs
// together when they are read as one, small letters then cut to the size of
// the larger ones. The letters (dark shapes of 3 pixels high or more, up to
// three times as high as the letters beside them) that follow each other on a
// line at word spacing make a phrase, with the marks among them (dots,
// dashes); a phrase whose letters stand lower than 20 pixels is read at twice
// its size, lower than 11 pixels at three times. What no part holds is read as
// it is. None when the picture holds more than 100000 shapes, noise rather
// than a screen. Throws RecognitionError.
std::vector<EnlargedPart> partsToEnlarge(Pix* grey);

}  // namespace mivo::platform
