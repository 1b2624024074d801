#include "hands/test/jpeg_picture.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <stdexcept>

namespace mivo::test {
namespace {

std::string decodedBase64(const std::string& text) {
  static const std::string alphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  if (text.size() % 4 != 0) throw std::runtime_error("base64 of a length not a multiple of 4");
  std::string bytes;
  std::uint32_t group = 0;
  int bits = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '=') {
      if (i + 2 < text.size()) throw std::runtime_error("padding inside base64");
      break;
    }
    const std::size_t value = alphabet.find(text[i]);
    if (value == std::string::npos) throw std::runtime_error("not base64");
    group = group << 6 | static_cast<std::uint32_t>(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes += static_cast<char>(group >> bits & 0xFF);
    }
  }
  return bytes;
}

struct ErrorManager {
  jpeg_error_mgr library;
  std::jmp_buf back;
};

[[noreturn]] void jumpBack(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->back, 1);
}

void keepQuiet(j_common_ptr) {}

// False when the library refuses the data.
bool decode(const std::string& jpeg, int& width, int& height, std::vector<std::uint8_t>& rgb) {
  jpeg_decompress_struct info;
  ErrorManager errors;
  info.err = jpeg_std_error(&errors.library);
  errors.library.error_exit = jumpBack;
  errors.library.output_message = keepQuiet;
  if (setjmp(errors.back) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  width = static_cast<int>(info.output_width);
  height = static_cast<int>(info.output_height);
  rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = &rgb[static_cast<std::size_t>(info.output_scanline) * width * 3];
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

JpegPicture JpegPicture::fromBase64(const std::string& base64) {
  JpegPicture picture;
  if (!decode(decodedBase64(base64), picture.width_, picture.height_, picture.rgb_)) {
    throw std::runtime_error("not a JPEG");
  }
  return picture;
}

JpegPicture::Colour JpegPicture::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) throw std::out_of_range("outside the picture");
  const std::uint8_t* pixel = &rgb_[(static_cast<std::size_t>(y) * width_ + x) * 3];
  return {pixel[0], pixel[1], pixel[2]};
}

}  // namespace mivo::test
