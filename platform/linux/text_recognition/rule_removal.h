#pragma once

#include <leptonica/allheaders.h>

namespace mivo::platform {

// Paints over, in an 8-bit grey picture of dark text on light, the straight
// thin lines drawn between and under text: the rules of a table's grid, the
// borders of fields, boxes and panels, separators and underlines. Each is a
// run of 50 pixels or more across or down, thinner than 7 pixels and darker
// than the ground around it by 20 grey levels or more, however light; it takes
// the colour of that ground. The recogniser binarises the picture for itself,
// so a light rule becomes a bar that it reads as a letter and that joins the
// words beside it. Throws RecognitionError.
void removeRules(Pix* grey);

}  // namespace mivo::platform
