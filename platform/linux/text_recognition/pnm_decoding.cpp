#include <cctype>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/linux/text_recognition/picture_decoding.h"
#include "platform/linux/text_recognition/pnm_header.h"

namespace mivo::platform {
namespace {

// The samples of an ASCII picture: decimal numbers between white space, or
// for a bitmap single digits, which need none.
class AsciiSamples {
 public:
  AsciiSamples(std::FILE* file, bool bitmap) : file_(file), bitmap_(bitmap) {}

  std::optional<std::uint32_t> next() {
    int c = nextAfterSpaceAndComments(file_);
    if (c < '0' || c > '9') return std::nullopt;
    if (bitmap_) return static_cast<std::uint32_t>(c - '0');
    std::uint32_t value = 0;
    while (c >= '0' && c <= '9') {
      value = value * 10 + static_cast<std::uint32_t>(c - '0');
      if (value > kLargestPnmSample) return std::nullopt;
      c = getc_unlocked(file_);
    }
    if (c != EOF && !std::isspace(c)) return std::nullopt;
    return value;
  }

 private:
  std::FILE* file_;
  bool bitmap_;
};

// The grey of a pixel's first samples, each at most `maxval`; alpha dropped.
int greyOfPixel(const std::uint32_t* samples, const PnmLayout& layout) {
  const auto scaled = [&](std::uint32_t value) {
    return static_cast<int>((value * 255 + layout.maxval / 2) / layout.maxval);
  };
  if (layout.bitmap) return samples[0] != 0 ? 0 : 255;
  if (layout.samples >= 3) return greyOf(scaled(samples[0]), scaled(samples[1]), scaled(samples[2]));
  return scaled(samples[0]);
}

}  // namespace

// Netpbm pictures, binary or ASCII (P1 to P6), and PAM (P7) of one to four
// samples a pixel, of up to 16 bits a sample, read row by row: the colour
// copy Leptonica makes takes four bytes a pixel, 1 GB at the largest size.
PixPointer decodedPnm(std::FILE* file) {
  std::rewind(file);
  const std::optional<PnmLayout> layout = pnmLayout(file);
  if (!layout) return nullptr;
  GreyPicture picture = GreyPicture::made(layout->width, layout->height);
  if (!picture) return nullptr;
  const int width = picture.width();
  const int samplesPerPixel = layout->samples;
  std::uint32_t pixel[4] = {};
  if (layout->ascii) {
    AsciiSamples samples(file, layout->bitmap);
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < width; ++x) {
        for (int s = 0; s < samplesPerPixel; ++s) {
          const std::optional<std::uint32_t> value = samples.next();
          if (!value || *value > layout->maxval) return nullptr;
          pixel[s] = *value;
        }
        picture.set(x, y, greyOfPixel(pixel, *layout));
      }
    }
    return picture.taken();
  }
  const int sampleBytes = layout->maxval > 255 ? 2 : 1;
  const std::size_t rowBytes = layout->bitmap
                                   ? (static_cast<std::size_t>(width) + 7) / 8
                                   : static_cast<std::size_t>(width) * samplesPerPixel * sampleBytes;
  std::vector<std::uint8_t> row(rowBytes);
  for (int y = 0; y < picture.height(); ++y) {
    // A row missing is a cut file.
    if (std::fread(row.data(), 1, rowBytes, file) != rowBytes) return nullptr;
    const std::uint8_t* at = row.data();
    for (int x = 0; x < width; ++x) {
      if (layout->bitmap) {
        pixel[0] = (row[static_cast<std::size_t>(x) / 8] >> (7 - x % 8)) & 1;
      } else {
        for (int s = 0; s < samplesPerPixel; ++s, at += sampleBytes) {
          pixel[s] = sampleBytes == 2 ? static_cast<std::uint32_t>(at[0] << 8 | at[1]) : at[0];
          if (pixel[s] > layout->maxval) return nullptr;
        }
      }
      picture.set(x, y, greyOfPixel(pixel, *layout));
    }
  }
  return picture.taken();
}

}  // namespace mivo::platform
