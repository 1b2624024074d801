#pragma once

#include <leptonica/allheaders.h>

namespace mivo::platform {

// Whitens, in an 8-bit grey picture of dark text on light, what is drawn
// around or beside text rather than written: outlines that enclose two shapes
// or more (the frames of fields, buttons and tables), which the recogniser
// reads as brackets or letters or which hide what they frame from it;
// rectangles whose four edges are dark end to end (text cursors, check boxes,
// square bullets; not the stem of a bold "i" under its dot) and stippled blocks (scroll bars, dotted handles), which it
// reads as letters.
// Throws RecognitionError.
void removeFrames(Pix* grey);

}  // namespace mivo::platform
