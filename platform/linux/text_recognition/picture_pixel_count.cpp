#include "platform/linux/text_recognition/picture_pixel_count.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/linux/text_recognition/pnm_header.h"

namespace mivo::platform {
namespace {

using Count = std::optional<std::uint64_t>;

Count area(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) return std::nullopt;
  return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
}

bool readExactly(std::FILE* file, unsigned char* bytes, std::size_t count) {
  return std::fread(bytes, 1, count, file) == count;
}

std::uint32_t littleEndian16(const unsigned char* bytes) { return bytes[0] | bytes[1] << 8; }

std::int32_t littleEndian32(const unsigned char* bytes) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[0]) | bytes[1] << 8 |
                                   bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
}

// Leptonica takes a BMP's size from the info header's 32-bit width and height
// at bytes 18 and 22; a negative height is a picture stored top row first.
Count bmpPixelCount(std::FILE* file) {
  unsigned char header[26];
  if (!readExactly(file, header, sizeof header)) return std::nullopt;
  return area(littleEndian32(header + 18), std::abs(std::int64_t{littleEndian32(header + 22)}));
}

// The colour table that a GIF screen or frame descriptor's flags announce.
bool skipColorTable(std::FILE* file, unsigned char flags) {
  if ((flags & 0x80) == 0) return true;
  return std::fseek(file, 3L << ((flags & 0x07) + 1), SEEK_CUR) == 0;
}

// The data sub-blocks after a GIF extension, up to the empty one. Read
// through the stream's buffer, not passed over with fseek, which asks the
// system for every one: a comment of 80 MB in sub-blocks of one byte took
// longer than the whole reading budget.
bool skipSubBlocks(std::FILE* file) {
  unsigned char block[255];
  for (;;) {
    const int size = std::fgetc(file);
    if (size == EOF) return false;
    if (size == 0) return true;
    if (!readExactly(file, block, static_cast<std::size_t>(size))) return false;
  }
}

// Only the first frame is decoded, into a picture of that frame's size; the
// screen's size counts too, as a frame may claim less than the screen it is
// shown on. The walk to the first frame stops where giflib would.
Count gifPixelCount(std::FILE* file) {
  unsigned char screen[13];
  if (!readExactly(file, screen, sizeof screen)) return std::nullopt;
  const Count screenPixels = area(littleEndian16(screen + 6), littleEndian16(screen + 8));
  std::uint64_t framePixels = 0;
  if (skipColorTable(file, screen[10])) {
    for (;;) {
      const int introducer = std::fgetc(file);
      if (introducer == 0x2C) {
        unsigned char frame[9];
        if (readExactly(file, frame, sizeof frame)) {
          framePixels = std::uint64_t{littleEndian16(frame + 4)} * littleEndian16(frame + 6);
        }
        break;
      }
      if (introducer != 0x21 || std::fgetc(file) == EOF || !skipSubBlocks(file)) break;
    }
  }
  const std::uint64_t pixels = std::max(screenPixels.value_or(0), framePixels);
  if (pixels == 0) return std::nullopt;
  return pixels;
}

struct FreeDeleter {
  void operator()(l_uint8* bytes) const { lept_free(bytes); }
};

// Leptonica reads a WebP whole before it decodes it; its size is in the first
// chunks, after an ICC profile or other metadata of any length.
Count webpPixelCount(std::FILE* file) {
  std::size_t size = 0;
  const std::unique_ptr<l_uint8, FreeDeleter> bytes(l_binaryReadStream(file, &size));
  l_int32 width = 0, height = 0, samples = 0;
  if (bytes == nullptr || readHeaderMemWebP(bytes.get(), size, &width, &height, &samples) != 0) {
    return std::nullopt;
  }
  return area(width, height);
}

// The formats whose headers Leptonica reads itself, from the stream.
Count headerPixelCount(std::FILE* file, l_int32 format) {
  l_int32 width = 0, height = 0, bits = 0, samples = 0, colormap = 0, unused = 0;
  l_int32 failed = 1;
  if (L_FORMAT_IS_TIFF(format)) {
    // Only the first page is decoded.
    failed = freadHeaderTiff(file, 0, &width, &height, &bits, &samples, &unused, &colormap,
                             &unused);
  } else if (format == IFF_JFIF_JPEG) {
    failed = freadHeaderJpeg(file, &width, &height, &samples, &unused, &unused);
  } else if (format == IFF_PNG) {
    failed = freadHeaderPng(file, &width, &height, &bits, &samples, &colormap);
  } else if (format == IFF_JP2) {
    // The size in the JP2 header box; OpenJPEG refuses a file whose code
    // stream says another.
    failed = freadHeaderJp2k(file, &width, &height, &bits, &samples, &unused);
  } else if (format == IFF_SPIX) {
    failed = freadHeaderSpix(file, &width, &height, &bits, &samples, &colormap);
  }
  if (failed != 0) return std::nullopt;
  return area(width, height);
}

}  // namespace

Count decodedPixelCount(std::FILE* file) {
  l_int32 format = IFF_UNKNOWN;
  std::rewind(file);
  if (findFileFormatStream(file, &format) != 0) return std::nullopt;
  std::rewind(file);
  switch (format) {
    case IFF_BMP: return bmpPixelCount(file);
    case IFF_GIF: return gifPixelCount(file);
    case IFF_WEBP: return webpPixelCount(file);
    // Decoded here, from a header that Leptonica's reader refuses where a
    // comment stands after the size.
    case IFF_PNM: {
      const std::optional<PnmLayout> layout = pnmLayout(file);
      if (!layout) return std::nullopt;
      return area(layout->width, layout->height);
    }
    default: return headerPixelCount(file, format);
  }
}

}  // namespace mivo::platform
