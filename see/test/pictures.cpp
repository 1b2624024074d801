#include "see/test/pictures.h"

#include <leptonica/allheaders.h>

#include <memory>
#include <stdexcept>

namespace mivo::test {
namespace {

constexpr int kFontSize = 12;  // tall enough for Tesseract, as Leptonica's fonts go
constexpr int kWidth = 900;
constexpr int kLineHeight = 80;
constexpr l_uint32 kInk = 0x20202000;  // RGBA

struct PixDeleter {
  void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using PixPointer = std::unique_ptr<Pix, PixDeleter>;

PixPointer render(const std::vector<std::string>& lines) {
  PixPointer pix(pixCreate(kWidth, kLineHeight * static_cast<int>(lines.size() + 1), 32));
  pixSetAll(pix.get());  // white
  L_BMF* font = bmfCreate(nullptr, kFontSize);
  int baseline = kLineHeight;
  for (const std::string& line : lines) {
    l_int32 width = 0;
    l_int32 overflow = 0;
    pixSetTextline(pix.get(), font, line.c_str(), kInk, 20, baseline, &width, &overflow);
    if (overflow) throw std::runtime_error("line too long for the picture: " + line);
    baseline += kLineHeight;
  }
  bmfDestroy(&font);
  return pix;
}

l_int32 leptonica_format(PictureFormat format) {
  switch (format) {
    case PictureFormat::png: return IFF_PNG;
    case PictureFormat::jpeg: return IFF_JFIF_JPEG;
    case PictureFormat::tiff: return IFF_TIFF_LZW;
  }
  throw std::invalid_argument("picture format");
}

}  // namespace

void writeTextPicture(const std::string& path, const std::vector<std::string>& lines,
                        PictureFormat format) {
  if (pixWrite(path.c_str(), render(lines).get(), leptonica_format(format)) != 0) {
    throw std::runtime_error("cannot write " + path);
  }
}

void writeTiffPages(const std::string& path, const std::vector<std::vector<std::string>>& pages) {
  const char* mode = "w";
  for (const std::vector<std::string>& page : pages) {
    if (pixWriteTiff(path.c_str(), render(page).get(), IFF_TIFF_LZW, mode) != 0) {
      throw std::runtime_error("cannot write " + path);
    }
    mode = "a";
  }
}

}  // namespace mivo::test
