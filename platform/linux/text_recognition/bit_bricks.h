#pragma once

#include <leptonica/allheaders.h>

#include "platform/linux/text_recognition/leptonica_pointers.h"

namespace mivo::platform {

// Erosion, dilation and opening of a 1-bit picture by a brick (a rectangle of
// `width` x `height` pixels whose origin is at (`width` / 2, `height` / 2)),
// pixels past the picture's edges off: the same pixels as Leptonica's
// pixErodeBrick, pixDilateBrick and pixOpenBrick, in a number of passes that
// grows with the logarithm of the brick's sides, not with the sides. Throw
// RecognitionError.
PixPointer erodedByBrick(Pix* bits, int width, int height);
PixPointer dilatedByBrick(Pix* bits, int width, int height);
PixPointer openedByBrick(Pix* bits, int width, int height);

}  // namespace mivo::platform
