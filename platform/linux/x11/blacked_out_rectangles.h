#pragma once

#include <cstdint>
#include <vector>

#include "platform/rgb_image.h"

namespace mivo::platform {

// A rectangle of whole pixels.
struct PixelRect {
  std::int64_t x;
  std::int64_t y;
  std::int64_t width;
  std::int64_t height;

  bool operator==(const PixelRect&) const = default;
};

// A window on the screen, and whether its application is left out of a
// capture.
struct StackedWindow {
  PixelRect rect;
  bool excluded;
};

// Without a compositor the X server keeps no picture of what lies behind a
// window, so a window that is left out cannot be seen through: its visible
// parts are blacked out instead. These are the parts of the excluded windows
// of `bottom_to_top` (in stacking order, the lowest first) that no window
// above them covers, as rectangles that do not overlap.
std::vector<PixelRect> blackedOut(const std::vector<StackedWindow>& bottom_to_top);

// Paints the part of `rect` that lies on `image` black.
void paintBlack(RgbImage& image, const PixelRect& rect);

}  // namespace mivo::platform
