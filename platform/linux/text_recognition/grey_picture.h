#pragma once

#include <leptonica/allheaders.h>

#include <cstdint>

#include "platform/linux/text_recognition/leptonica_pointers.h"

namespace mivo::platform {

// The largest picture read: 16384 x 16384 pixels, more than any screen has.
// A decoder refuses a picture above it before it decodes any of it, as the
// memory it takes follows the size the header claims.
constexpr std::uint64_t kMostPixels = std::uint64_t{1} << 28;

// Whether a picture of `width` x `height` pixels may be read.
inline bool readableSize(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <= kMostPixels;
}

// The grey of a colour, as Leptonica weighs red, green and blue (0.3, 0.5,
// 0.2), so that every format gives the recogniser the same greys.
inline int greyOf(int red, int green, int blue) { return (3 * red + 5 * green + 2 * blue + 5) / 10; }

// An 8-bit grey picture that a decoder fills row by row, so that no picture
// is ever held in colour, nor twice.
class GreyPicture {
 public:
  // None when the size is not readable or the memory cannot be had.
  static GreyPicture made(std::int64_t width, std::int64_t height);

  explicit operator bool() const { return pix_ != nullptr; }
  int width() const { return pixGetWidth(pix_.get()); }
  int height() const { return pixGetHeight(pix_.get()); }
  void set(int x, int y, int grey) { SET_DATA_BYTE(rows_ + y * words_, x, grey); }
  PixPointer taken() { return std::move(pix_); }

 private:
  PixPointer pix_;
  l_uint32* rows_ = nullptr;
  int words_ = 0;
};

}  // namespace mivo::platform
