#pragma once

#include <leptonica/allheaders.h>

#include "platform/linux/text_recognition/leptonica_pointers.h"

namespace mivo::platform {

// The closing of an 8-bit grey picture by a square of `size` x `size` pixels
// (odd): each pixel first the lightest grey of the square around it, then the
// darkest of those lightest greys, the square cut to the picture at its edges.
// What is thinner than the square and darker than its surroundings takes
// their grey, which is the ground around a stroke. The same pixels as
// Leptonica's pixCloseGray, in a few passes that each take a whole row of
// bytes at a time. Throws RecognitionError.
PixPointer closedGrey(Pix* grey, int size);

}  // namespace mivo::platform
