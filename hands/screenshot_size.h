#pragma once

#include <cstdint>
#include <optional>

#include "platform/screen_capture.h"

namespace mivo::hands {

// The part of a display of `width` × `height` points that a "rect" [x, y, w,
// h] asks for: w and h widened to 1 where they are smaller, then the
// rectangle clipped to the display. None when nothing of it lies on the
// display.
std::optional<platform::Rect> clippedToDisplay(double x, double y, double w, double h, double width,
                                               double height);

struct PixelSize {
  std::int64_t width;
  std::int64_t height;

  bool operator==(const PixelSize&) const = default;
};

// The size of the image of `captured` (in points) whose longer side is `max`
// pixels, but never finer than `pixelScale` pixels per point; each side
// rounded half away from zero and at least 1. Computed in 64-bit floats and
// none when a side does not fit the signed 64-bit range.
std::optional<PixelSize> outputSize(const platform::Rect& captured, double max, double pixelScale);

}  // namespace mivo::hands
