#pragma once

#include <leptonica/allheaders.h>

namespace mivo::platform {

// Whitens, in an 8-bit grey picture, the squares of 32 x 32 pixels that hold
// noise rather than text: where dark and light (either side of the middle
// grey) change from each pixel to the next, along the rows and along the
// columns alike, at nearly half of the pixels, as they do in noise; or one
// way at three fifths of them, as across lines three pixels apart. The strokes of letters
// run on for some pixels at least one way, so text changes much less along
// its strokes; noise, a photograph's grain around the middle grey, a
// checkered pattern change everywhere, hatching across its lines. Their specks would be read as
// letters, one by one, for minutes, and give junk.
void whitenNoise(Pix* grey);

}  // namespace mivo::platform
