#include <png.h>

#include <csetjmp>
#include <vector>

#include "platform/linux/text_recognition/picture_decoding.h"

namespace mivo::platform {
namespace {

void failed(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void warned(png_structp, png_const_charp) {}

struct ReadStructs {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~ReadStructs() { png_destroy_read_struct(&png, &info, nullptr); }
};

// One row of samples, 8 bits each, into `picture`'s row `y` from column
// `first` on, every `step` columns: through the palette's greys, or the grey
// sample, or the grey of the colour; alpha dropped.
void putRow(GreyPicture& picture, const std::vector<png_byte>& row, int channels, int count,
            const std::vector<int>& paletteGreys, int y, int first, int step) {
  for (int i = 0, x = first; i < count; ++i, x += step) {
    const png_byte* sample = row.data() + static_cast<std::size_t>(i) * channels;
    const int grey = !paletteGreys.empty() ? paletteGreys[sample[0]]
                     : channels < 3        ? sample[0]
                                           : greyOf(sample[0], sample[1], sample[2]);
    picture.set(x, y, grey);
  }
}

// What a decoding makes, kept out of the function that libpng may jump out
// of: a jump skips the destructors of what that function made itself.
struct Decoding {
  ReadStructs read;
  GreyPicture picture;
  std::vector<int> paletteGreys;
  std::vector<png_byte> row;
};

bool decode(Decoding& decoding, std::FILE* file) {
  png_structp png = decoding.read.png;
  png_infop info = decoding.read.info;
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_init_io(png, file);
  // Texts, profiles and every other chunk not needed for the pixels are
  // skipped unread, so that what a file says about itself costs no memory.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int depth = 0, colorType = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
  decoding.picture = GreyPicture::made(width, height);
  if (!decoding.picture) return false;
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp palette = nullptr;
    int entries = 0;
    if (png_get_PLTE(png, info, &palette, &entries) == 0) return false;
    // Indices past the palette's end are black.
    decoding.paletteGreys.assign(256, 0);
    for (int i = 0; i < entries; ++i) {
      decoding.paletteGreys[i] = greyOf(palette[i].red, palette[i].green, palette[i].blue);
    }
  }
  png_set_strip_16(png);
  png_set_packing(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  png_read_update_info(png, info);
  const int channels = png_get_channels(png, info);
  decoding.row.resize(png_get_rowbytes(png, info));
  if (interlace == PNG_INTERLACE_NONE) {
    for (png_uint_32 y = 0; y < height; ++y) {
      png_read_row(png, decoding.row.data(), nullptr);
      putRow(decoding.picture, decoding.row, channels, static_cast<int>(width), decoding.paletteGreys,
             static_cast<int>(y), 0, 1);
    }
  } else {
    // Each of the seven passes holds a sub-picture of every so many rows and
    // columns; libpng skips the empty ones.
    for (int pass = 0; pass < 7; ++pass) {
      const png_uint_32 rows = PNG_PASS_ROWS(height, pass);
      const png_uint_32 columns = PNG_PASS_COLS(width, pass);
      if (rows == 0 || columns == 0) continue;
      for (png_uint_32 passRow = 0; passRow < rows; ++passRow) {
        png_read_row(png, decoding.row.data(), nullptr);
        putRow(decoding.picture, decoding.row, channels, static_cast<int>(columns), decoding.paletteGreys,
               static_cast<int>(PNG_ROW_FROM_PASS_ROW(passRow, pass)), PNG_PASS_START_COL(pass),
               PNG_PASS_COL_OFFSET(pass));
      }
    }
  }
  // To the end chunk: a file cut after its pixels is cut all the same.
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

PixPointer decodedPng(std::FILE* file) {
  Decoding decoding;
  decoding.read.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failed, warned);
  if (decoding.read.png == nullptr) return nullptr;
  decoding.read.info = png_create_info_struct(decoding.read.png);
  if (decoding.read.info == nullptr || !decode(decoding, file)) return nullptr;
  return decoding.picture.taken();
}

}  // namespace mivo::platform
