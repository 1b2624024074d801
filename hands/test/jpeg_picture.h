#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mivo::test {

// A picture decoded from an answer's base64 JPEG, for a test to look at.
class JpegPicture {
 public:
  struct Colour {
    int red;
    int green;
    int blue;
  };

  // Raises std::runtime_error when `base64` is not base64 of a JPEG.
  static JpegPicture fromBase64(const std::string& base64);

  int width() const { return width_; }
  int height() const { return height_; }
  Colour at(int x, int y) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> rgb_;
};

}  // namespace mivo::test
