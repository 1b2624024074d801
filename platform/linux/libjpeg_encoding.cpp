#include "platform/linux/libjpeg_encoding.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace mivo::platform {
namespace {

// The library's error manager, with the way back to the encoding that it
// jumps to in place of its own handler, which ends the process.
struct ErrorManager {
  jpeg_error_mgr library;
  std::jmp_buf back;
};

[[noreturn]] void jumpBack(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->back, 1);
}

void keepQuiet(j_common_ptr) {}

int libraryQuality(double quality) {
  const double hundredths = quality * 100;
  if (!(hundredths > 1)) return 1;
  if (hundredths > 100) return 100;
  return static_cast<int>(std::lround(hundredths));
}

// The encoding proper, with nothing in it that a jump back would have to
// destroy: only the library's own state and plain values. The bytes are the
// library's, to be freed with free(); false when it failed.
bool encode(const RgbImage& image, int quality, unsigned char** bytes, unsigned long* size) {
  jpeg_compress_struct info;
  ErrorManager errors;
  info.err = jpeg_std_error(&errors.library);
  errors.library.error_exit = jumpBack;
  errors.library.output_message = keepQuiet;
  if (setjmp(errors.back) != 0) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, bytes, size);
  info.image_width = static_cast<JDIMENSION>(image.width);
  info.image_height = static_cast<JDIMENSION>(image.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  const auto row_bytes = static_cast<std::size_t>(image.width) * 3;
  while (info.next_scanline < info.image_height) {
    // The library does not write to the rows it is given.
    JSAMPROW row = const_cast<JSAMPROW>(&image.pixels[info.next_scanline * row_bytes]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

std::optional<std::string> LibjpegEncoding::jpegData(const RgbImage& image, double quality) {
  // The library checks the sides itself, once they fit its own type.
  constexpr std::int64_t kMostSide = std::numeric_limits<JDIMENSION>::max();
  if (image.width < 0 || image.height < 0 || image.width > kMostSide || image.height > kMostSide ||
      image.pixels.size() != static_cast<std::size_t>(image.width * image.height * 3)) {
    return std::nullopt;
  }
  unsigned char* bytes = nullptr;
  unsigned long size = 0;
  if (!encode(image, libraryQuality(quality), &bytes, &size)) {
    // The destination's buffer, also when the encoding failed half-way.
    std::free(bytes);
    return std::nullopt;
  }
  std::string jpeg(reinterpret_cast<const char*>(bytes), size);
  std::free(bytes);
  return jpeg;
}

}  // namespace mivo::platform
