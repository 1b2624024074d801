#pragma once

#include <cstdint>

#include "platform/rgb_image.h"
#include "platform/screen_capture.h"

namespace mivo::platform {

// The part `region` of `source` (in its pixels, fractions allowed, within
// the image) scaled to `width` × `height` pixels, each output pixel the mean
// of the source area it covers, every source pixel weighted by how much of it
// lies in that area. Shrinking so averages whole areas; enlarging repeats
// pixels, blending them where an output pixel straddles two.
RgbImage areaAveraged(const RgbImage& source, const Rect& region, std::int64_t width,
                      std::int64_t height);

}  // namespace mivo::platform
