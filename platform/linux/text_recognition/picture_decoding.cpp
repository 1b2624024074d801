#include "platform/linux/text_recognition/picture_decoding.h"

#include "platform/linux/text_recognition/picture_pixel_count.h"

namespace mivo::platform {
namespace {

constexpr std::uint64_t kMostJpeg2000Pixels = std::uint64_t{1} << 26;

}  // namespace

PixPointer decodedGreyPicture(std::FILE* file) {
  // The size checked first, from the headers, as the decoders take memory
  // and time by the size they claim.
  const std::optional<std::uint64_t> pixels = decodedPixelCount(file);
  if (!pixels || *pixels > kMostPixels) return nullptr;
  l_int32 format = IFF_UNKNOWN;
  std::rewind(file);
  if (findFileFormatStream(file, &format) != 0) return nullptr;
  std::rewind(file);
  if (format == IFF_PNG) return decodedPng(file);
  if (format == IFF_JFIF_JPEG) return decodedJpeg(file);
  if (L_FORMAT_IS_TIFF(format)) return decodedTiff(file);
  if (format == IFF_GIF) return decodedGif(file);
  if (format == IFF_BMP) return decodedBmp(file);
  if (format == IFF_PNM) return decodedPnm(file);
  // OpenJPEG holds every sample of the picture in 32 bits, and Leptonica then
  // a colour copy: some 16 bytes a pixel, 1 GB for 8192 x 8192 pixels.
  if (format == IFF_JP2 && *pixels > kMostJpeg2000Pixels) return nullptr;
  const PixPointer pix(pixReadStream(file, 0));
  if (pix == nullptr) return nullptr;
  return PixPointer(pixConvertTo8(pix.get(), 0));
}

}  // namespace mivo::platform
