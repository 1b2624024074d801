#pragma once

#include <leptonica/allheaders.h>

namespace mivo::platform {

struct GreyRange {
  int darkest;
  int lightest;
};

// The darkest and the lightest grey of an 8-bit grey picture, in one pass over
// its bytes.
GreyRange greyRangeOf(Pix* grey);

}  // namespace mivo::platform
