#pragma once

#include <cstdint>
#include <vector>

namespace mivo::platform {

// A picture in memory: `width` × `height` pixels, row after row from the top,
// three bytes each (red, green, blue); `pixels` holds exactly that many bytes.
struct RgbImage {
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::vector<std::uint8_t> pixels;
};

}  // namespace mivo::platform
