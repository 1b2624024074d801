#pragma once

#include <cstdint>
#include <vector>

#include "platform/rgb_image.h"

namespace mivo::platform {

// A pointer's picture: `width` × `height` pixels, row after row, each
// 0xAARRGGBB with its colour already multiplied by its alpha, as the X
// server gives a cursor's image.
struct PointerImage {
  std::int64_t width;
  std::int64_t height;
  std::vector<std::uint32_t> argb;
};

// Blends `pointer` over `image` with its top-left corner at (`left`, `top`)
// of the image; what falls outside the image is left out.
void drawPointer(RgbImage& image, const PointerImage& pointer, std::int64_t left, std::int64_t top);

}  // namespace mivo::platform
