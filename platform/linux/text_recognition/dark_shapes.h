#pragma once

#include <leptonica/allheaders.h>

#include <vector>

#include "platform/linux/text_recognition/leptonica_pointers.h"

namespace mivo::platform {

// One connected shape of dark pixels (grey below the middle) of a picture:
// its box in the picture and its own pixels, one bit each, in that box.
struct DarkShape {
  int x;
  int y;
  int width;
  int height;
  PixPointer pixels;
};

// The connected pieces of a one-bit picture's set pixels (`connectivity` 4 or
// 8), each with its box and its own pixels, in Leptonica's order. Throws
// RecognitionError when Leptonica cannot find them.
std::vector<DarkShape> connectedPieces(Pix* bits, int connectivity);

// Every dark shape of an 8-bit grey picture (greys below `darkerThan`),
// pixels touching at a corner joined, ordered by their left edges. None when there are more than 100000,
// ten times what a screen full of small text holds: a picture of noise, whose
// shapes would take gigabytes. Throws RecognitionError when Leptonica cannot
// find them.
std::vector<DarkShape> darkShapesOf(Pix* grey, int darkerThan = 128);

// The pixels that `shape` encloses, one bit each in its box: what cannot be
// reached from outside without crossing it.
PixPointer enclosedBy(const DarkShape& shape);

// How many of `shapes` (ordered by their left edges, `outer` possibly among
// them) lie in what `enclosed` marks in `outer`'s box: each one's box within
// that box and the middle of it marked. Stops counting at `enough`.
int shapesEnclosed(const DarkShape& outer, Pix* enclosed, const std::vector<DarkShape>& shapes,
                   int enough);

}  // namespace mivo::platform
