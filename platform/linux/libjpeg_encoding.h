#pragma once

#include "platform/jpeg_encoding.h"

namespace mivo::platform {

// JPEG encoding with libjpeg-turbo, baseline, 4:2:0, in memory.
//
// The quality of 0 to 1 is the library's scale of 0 to 100 divided by 100;
// the library takes whole numbers from 1 to 100 only, so a quality is
// rounded to the nearest hundredth and one beyond either end is taken as
// that end. An image the library will not encode (none of its sides, one
// beyond 65500 pixels, pixels that do not fill it) gives none: the
// library's errors come back here instead of ending the process, and its
// warnings are not printed.
class LibjpegEncoding : public JpegEncoding {
 public:
  std::optional<std::string> jpegData(const RgbImage& image, double quality) override;
};

}  // namespace mivo::platform
