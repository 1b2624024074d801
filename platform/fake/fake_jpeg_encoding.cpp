#include "platform/fake/fake_jpeg_encoding.h"

#include <charconv>

namespace mivo::platform {

std::optional<std::string> FakeJpegEncoding::jpegData(const RgbImage& image, double quality) {
  char digits[32];
  const auto written = std::to_chars(digits, digits + sizeof digits, quality);
  calls_.push_back("jpeg of " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                   " at quality " + std::string(digits, written.ptr));
  if (refused_) return std::nullopt;
  return std::string("\xff\xd8\xff\xe0");
}

}  // namespace mivo::platform
