#pragma once

#include <leptonica/allheaders.h>

#include "platform/linux/text_recognition/leptonica_pointers.h"

namespace mivo::platform {

// An 8-bit grey picture enlarged `scale` times (2 or 3) by linear
// interpolation between its pixels, the last row and column repeated past
// its edges: the same pixels as Leptonica's pixScaleGrayLI, which at 2 takes
// the mean of the two or four pixels around each new one, rounded down, and at
// other scales weighs them in sixteenths, rounded to the nearest. Throws
// RecognitionError.
PixPointer enlargedGrey(Pix* grey, int scale);

}  // namespace mivo::platform
