#pragma once

#include <optional>
#include <string>

#include "platform/rgb_image.h"

namespace mivo::platform {

// The system's image encoding, as JPEG data in memory.
class JpegEncoding {
 public:
  virtual ~JpegEncoding() = default;

  // The JPEG bytes of `image` at the lossy-compression `quality` (0 the
  // smallest, 1 the best), which is handed to the encoder as it is; none
  // when the encoder cannot be made or cannot finish.
  virtual std::optional<std::string> jpegData(const RgbImage& image, double quality) = 0;
};

}  // namespace mivo::platform
