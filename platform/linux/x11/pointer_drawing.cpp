#include "platform/linux/x11/pointer_drawing.h"

#include <algorithm>
#include <cstddef>

namespace mivo::platform {

void drawPointer(RgbImage& image, const PointerImage& pointer, std::int64_t left,
                 std::int64_t top) {
  const std::int64_t from_x = std::max<std::int64_t>(0, -left);
  const std::int64_t from_y = std::max<std::int64_t>(0, -top);
  const std::int64_t to_x = std::min(pointer.width, image.width - left);
  const std::int64_t to_y = std::min(pointer.height, image.height - top);
  for (std::int64_t y = from_y; y < to_y; ++y) {
    for (std::int64_t x = from_x; x < to_x; ++x) {
      const std::uint32_t argb = pointer.argb[static_cast<std::size_t>(y * pointer.width + x)];
      const std::uint32_t alpha = argb >> 24;
      std::uint8_t* pixel =
          &image.pixels[static_cast<std::size_t>(((top + y) * image.width + left + x) * 3)];
      for (int c = 0; c < 3; ++c) {
        const std::uint32_t colour = (argb >> (16 - 8 * c)) & 0xFF;
        // Premultiplied: the pointer's colour plus what its alpha lets through.
        const std::uint32_t blended = colour + (pixel[c] * (255 - alpha) + 127) / 255;
        pixel[c] = static_cast<std::uint8_t>(std::min<std::uint32_t>(blended, 255));
      }
    }
  }
}

}  // namespace mivo::platform
