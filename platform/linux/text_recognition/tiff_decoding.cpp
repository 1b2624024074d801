#include <tiffio.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/linux/text_recognition/picture_decoding.h"

namespace mivo::platform {
namespace {

// libtiff reads through these from the stdio file, never mapping it: a
// mapped file's pages would count as the program's memory.
tmsize_t readFrom(thandle_t file, void* bytes, tmsize_t size) {
  return static_cast<tmsize_t>(std::fread(bytes, 1, static_cast<std::size_t>(size), static_cast<std::FILE*>(file)));
}
tmsize_t writeNothing(thandle_t, void*, tmsize_t) { return -1; }
toff_t seekIn(thandle_t file, toff_t offset, int whence) {
  auto* stream = static_cast<std::FILE*>(file);
  if (offset > static_cast<toff_t>(INT64_MAX) || ::fseeko(stream, static_cast<off_t>(offset), whence) != 0) {
    return static_cast<toff_t>(-1);
  }
  return static_cast<toff_t>(::ftello(stream));
}
int closeNothing(thandle_t) { return 0; }
toff_t sizeOf(thandle_t file) {
  auto* stream = static_cast<std::FILE*>(file);
  const off_t at = ::ftello(stream);
  ::fseeko(stream, 0, SEEK_END);
  const off_t size = ::ftello(stream);
  ::fseeko(stream, at, SEEK_SET);
  return static_cast<toff_t>(size);
}
int mapNothing(thandle_t, void**, toff_t*) { return 0; }
void unmapNothing(thandle_t, void*, toff_t) {}
int quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

template <typename T>
T field(TIFF* tiff, ttag_t tag, T otherwise) {
  T value = otherwise;
  return TIFFGetFieldDefaulted(tiff, tag, &value) == 1 ? value : otherwise;
}

// The sample of `bits` bits at index `i` of a row, as it stands.
int rawSampleAt(const std::uint8_t* row, std::size_t i, int bits) {
  if (bits == 16) return reinterpret_cast<const std::uint16_t*>(row)[i];
  if (bits == 8) return row[i];
  const int perByte = 8 / bits;
  return (row[i / perByte] >> (8 - bits * (1 + static_cast<int>(i % perByte)))) & ((1 << bits) - 1);
}

// The same, scaled to 0..255.
int sampleAt(const std::uint8_t* row, std::size_t i, int bits) {
  const int raw = rawSampleAt(row, i, bits);
  return bits == 16 ? raw >> 8 : bits == 8 ? raw : raw * 255 / ((1 << bits) - 1);
}

// The pictures most tools write (grey, black and white, palette, RGB, with or
// without alpha, 1 to 16 bits, in strips), read scanline by scanline.
bool readsByScanline(TIFF* tiff) {
  const auto photometric = field<std::uint16_t>(tiff, TIFFTAG_PHOTOMETRIC, 0xffff);
  const auto bits = field<std::uint16_t>(tiff, TIFFTAG_BITSPERSAMPLE, 0);
  const auto samples = field<std::uint16_t>(tiff, TIFFTAG_SAMPLESPERPIXEL, 0);
  const auto planar = field<std::uint16_t>(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  const auto format = field<std::uint16_t>(tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_UINT);
  if (TIFFIsTiled(tiff) || planar != PLANARCONFIG_CONTIG || format != SAMPLEFORMAT_UINT) return false;
  switch (photometric) {
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE: return samples >= 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16);
    case PHOTOMETRIC_PALETTE: return samples == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8);
    case PHOTOMETRIC_RGB: return samples >= 3 && (bits == 8 || bits == 16);
    default: return false;
  }
}

bool readScanlines(TIFF* tiff, GreyPicture& picture) {
  const auto photometric = field<std::uint16_t>(tiff, TIFFTAG_PHOTOMETRIC, 0);
  const int bits = field<std::uint16_t>(tiff, TIFFTAG_BITSPERSAMPLE, 0);
  const int samples = field<std::uint16_t>(tiff, TIFFTAG_SAMPLESPERPIXEL, 0);
  std::vector<int> paletteGreys;
  if (photometric == PHOTOMETRIC_PALETTE) {
    std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) != 1) return false;
    for (int i = 0; i < (1 << bits); ++i) paletteGreys.push_back(greyOf(red[i] >> 8, green[i] >> 8, blue[i] >> 8));
  }
  std::vector<std::uint8_t> row(static_cast<std::size_t>(TIFFScanlineSize64(tiff)));
  for (int y = 0; y < picture.height(); ++y) {
    // A row that cannot be read whole is the end of a cut or broken file.
    if (TIFFReadScanline(tiff, row.data(), static_cast<std::uint32_t>(y), 0) != 1) return false;
    for (int x = 0; x < picture.width(); ++x) {
      const std::size_t at = static_cast<std::size_t>(x) * samples;
      int grey = 0;
      if (photometric == PHOTOMETRIC_RGB) {
        grey = greyOf(sampleAt(row.data(), at, bits), sampleAt(row.data(), at + 1, bits),
                      sampleAt(row.data(), at + 2, bits));
      } else if (photometric == PHOTOMETRIC_PALETTE) {
        grey = paletteGreys[rawSampleAt(row.data(), at, bits)];
      } else {
        grey = sampleAt(row.data(), at, bits);
        if (photometric == PHOTOMETRIC_MINISWHITE) grey = 255 - grey;
      }
      picture.set(x, y, grey);
    }
  }
  return true;
}

// Any other picture that libtiff can turn into colours (tiles, YCbCr, CMYK,
// separate planes), read in bands of its strips' or tiles' height.
bool readInBands(TIFF* tiff, GreyPicture& picture) {
  char message[1024] = "";
  if (TIFFRGBAImageOK(tiff, message) != 1) return false;
  TIFFRGBAImage image{};
  if (TIFFRGBAImageBegin(&image, tiff, 1, message) != 1) return false;
  const std::unique_ptr<TIFFRGBAImage, void (*)(TIFFRGBAImage*)> ended(&image, TIFFRGBAImageEnd);
  image.req_orientation = ORIENTATION_TOPLEFT;
  const std::uint32_t unit = TIFFIsTiled(tiff) ? field<std::uint32_t>(tiff, TIFFTAG_TILELENGTH, 1)
                                               : field<std::uint32_t>(tiff, TIFFTAG_ROWSPERSTRIP, 1);
  const int band = static_cast<int>(std::clamp<std::uint32_t>(unit, 1, static_cast<std::uint32_t>(picture.height())));
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(picture.width()) * band);
  for (int top = 0; top < picture.height(); top += band) {
    const int rows = std::min(band, picture.height() - top);
    image.row_offset = top;
    if (TIFFRGBAImageGet(&image, pixels.data(), static_cast<std::uint32_t>(picture.width()),
                         static_cast<std::uint32_t>(rows)) != 1) {
      return false;
    }
    for (int y = 0; y < rows; ++y) {
      for (int x = 0; x < picture.width(); ++x) {
        const std::uint32_t pixel = pixels[static_cast<std::size_t>(y) * picture.width() + x];
        picture.set(x, top + y, greyOf(TIFFGetR(pixel), TIFFGetG(pixel), TIFFGetB(pixel)));
      }
    }
  }
  return true;
}

}  // namespace

PixPointer decodedTiff(std::FILE* file) {
  std::rewind(file);
  const std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(TIFFOpenOptionsAlloc(),
                                                                              TIFFOpenOptionsFree);
  if (options == nullptr) return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), quiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), quiet, nullptr);
  // "m": never mapped. Only the first directory is read.
  const std::unique_ptr<TIFF, TiffCloser> tiff(TIFFClientOpenExt("picture", "rm", file, readFrom, writeNothing,
                                                                 seekIn, closeNothing, sizeOf, mapNothing,
                                                                 unmapNothing, options.get()));
  if (tiff == nullptr) return nullptr;
  GreyPicture picture = GreyPicture::made(field<std::uint32_t>(tiff.get(), TIFFTAG_IMAGEWIDTH, 0),
                                          field<std::uint32_t>(tiff.get(), TIFFTAG_IMAGELENGTH, 0));
  if (!picture) return nullptr;
  const bool read = readsByScanline(tiff.get()) ? readScanlines(tiff.get(), picture) : readInBands(tiff.get(), picture);
  if (!read) return nullptr;
  return picture.taken();
}

}  // namespace mivo::platform
