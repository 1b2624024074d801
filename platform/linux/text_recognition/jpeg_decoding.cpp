#include <cstdio>
// libjpeg's headers need FILE and size_t declared before them.
#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <vector>

#include "platform/linux/text_recognition/picture_decoding.h"

namespace mivo::platform {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void failed(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }

// libjpeg only warns where the data ends early, and makes up the rest of the
// picture: a cut file is refused here.
void noted(j_common_ptr info, int level) {
  const int code = info->err->msg_code;
  if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER)) failed(info);
}

void silent(j_common_ptr) {}

// What a decoding makes, kept out of the function that libjpeg may jump out
// of: a jump skips the destructors of what that function made itself.
struct Decoding {
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  GreyPicture picture;
  std::vector<JSAMPLE> row;
  ~Decoding() { jpeg_destroy_decompress(&info); }
};

int greyOfSamples(const JSAMPLE* sample, J_COLOR_SPACE space, bool adobe) {
  switch (space) {
    case JCS_GRAYSCALE: return sample[0];
    case JCS_CMYK: {
      // Adobe's files store the inks inverted.
      const auto ink = [&](int i) { return adobe ? 255 - sample[i] : sample[i]; };
      const int white = 255 - ink(3);
      return greyOf((255 - ink(0)) * white / 255, (255 - ink(1)) * white / 255, (255 - ink(2)) * white / 255);
    }
    default: return greyOf(sample[0], sample[1], sample[2]);
  }
}

bool decode(Decoding& decoding, std::FILE* file) {
  jpeg_decompress_struct& info = decoding.info;
  info.err = jpeg_std_error(&decoding.errors.base);
  decoding.errors.base.error_exit = failed;
  decoding.errors.base.emit_message = noted;
  decoding.errors.base.output_message = silent;
  if (setjmp(decoding.errors.jump) != 0) return false;
  jpeg_create_decompress(&info);
  // Markers other than the frame's and the scans' are skipped, not kept.
  jpeg_stdio_src(&info, file);
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
  decoding.picture = GreyPicture::made(info.image_width, info.image_height);
  if (!decoding.picture) return false;
  info.out_color_space = info.num_components == 1 ? JCS_GRAYSCALE
                         : info.num_components == 4 ? JCS_CMYK
                                                    : JCS_RGB;
  jpeg_start_decompress(&info);
  const int components = info.output_components;
  decoding.row.resize(static_cast<std::size_t>(info.output_width) * components);
  while (info.output_scanline < info.output_height) {
    const int y = static_cast<int>(info.output_scanline);
    JSAMPROW rows[] = {decoding.row.data()};
    if (jpeg_read_scanlines(&info, rows, 1) != 1) return false;
    for (JDIMENSION x = 0; x < info.output_width; ++x) {
      decoding.picture.set(static_cast<int>(x), y,
                           greyOfSamples(decoding.row.data() + x * components, info.out_color_space,
                                         info.saw_Adobe_marker != 0));
    }
  }
  // To the end marker: a file cut after its last scan is cut all the same.
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace

PixPointer decodedJpeg(std::FILE* file) {
  Decoding decoding;
  if (!decode(decoding, file)) return nullptr;
  return decoding.picture.taken();
}

}  // namespace mivo::platform
