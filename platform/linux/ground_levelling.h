#pragma once

#include <leptonica/allheaders.h>

namespace mivo::platform {

// Turns every dark ground of an 8-bit grey picture light, with what is
// written on it, so that all its text is dark on light as the recogniser
// reads it best: a dark desktop, a dark panel with light text, a dark button.
// Each is inverted and stretched so that the ground itself becomes white.
// A dark ground is a dark shape of at least 32 x 16 pixels that fills at least
// three fifths of its box. What it encloses is turned with it, except the
// light grounds it holds (windows, fields): enclosed areas wider or higher
// than 128 pixels, or with three dark shapes or more in them, where a light
// letter holds two at most (its counters). Throws RecognitionError.
void levelGrounds(Pix* grey);

}  // namespace mivo::platform
