#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/linux/text_recognition/picture_decoding.h"

namespace mivo::platform {
namespace {

constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kBitFields = 3;

std::uint32_t little(const std::uint8_t* bytes, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

bool readExactly(std::FILE* file, void* bytes, std::size_t count) {
  return std::fread(bytes, 1, count, file) == count;
}

// A channel of a pixel through its mask, scaled to 0..255.
int channel(std::uint32_t pixel, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const std::uint32_t most = mask >> shift;
  return static_cast<int>(((pixel & mask) >> shift) * 255 / most);
}

}  // namespace

// Windows bitmaps without compression (or with bit fields) of 1, 4, 8, 16,
// 24 or 32 bits a pixel, bottom row first or top row first.
PixPointer decodedBmp(std::FILE* file) {
  std::rewind(file);
  std::array<std::uint8_t, 14 + 124> header{};
  if (!readExactly(file, header.data(), 18)) return nullptr;
  const std::uint32_t dataOffset = little(&header[10], 4);
  const std::uint32_t infoSize = little(&header[14], 4);
  if (infoSize != 12 && (infoSize < 40 || infoSize > 124)) return nullptr;
  if (!readExactly(file, header.data() + 18, infoSize - 4)) return nullptr;
  const std::uint8_t* info = &header[14];
  const bool core = infoSize == 12;
  const std::int64_t width = core ? little(info + 4, 2) : static_cast<std::int32_t>(little(info + 4, 4));
  const std::int64_t signedHeight = core ? little(info + 6, 2) : static_cast<std::int32_t>(little(info + 8, 4));
  const int bits = static_cast<int>(core ? little(info + 10, 2) : little(info + 14, 2));
  const std::uint32_t compression = core ? kUncompressed : little(info + 16, 4);
  const std::int64_t height = std::abs(signedHeight);
  GreyPicture picture = GreyPicture::made(width, height);
  if (!picture) return nullptr;
  // The masks of red, green and blue.
  std::array<std::uint32_t, 3> masks = bits == 16 ? std::array<std::uint32_t, 3>{0x7c00, 0x03e0, 0x001f}
                                                  : std::array<std::uint32_t, 3>{0xff0000, 0x00ff00, 0x0000ff};
  if (compression == kBitFields) {
    if (bits != 16 && bits != 32) return nullptr;
    if (infoSize == 40) {
      std::array<std::uint8_t, 12> fields{};
      if (!readExactly(file, fields.data(), fields.size())) return nullptr;
      for (int i = 0; i < 3; ++i) masks[i] = little(&fields[4 * i], 4);
    } else {
      for (int i = 0; i < 3; ++i) masks[i] = little(info + 40 + 4 * i, 4);
    }
  } else if (compression != kUncompressed) {
    return nullptr;
  }
  std::vector<int> paletteGreys;
  if (bits == 1 || bits == 4 || bits == 8) {
    const std::uint32_t used = core ? 0 : little(info + 32, 4);
    const std::uint32_t entries = used == 0 || used > (1u << bits) ? 1u << bits : used;
    const int entrySize = core ? 3 : 4;
    std::vector<std::uint8_t> palette(static_cast<std::size_t>(entries) * entrySize);
    if (!readExactly(file, palette.data(), palette.size())) return nullptr;
    paletteGreys.assign(256, 0);
    for (std::uint32_t i = 0; i < entries; ++i) {
      const std::uint8_t* entry = &palette[i * entrySize];
      paletteGreys[i] = greyOf(entry[2], entry[1], entry[0]);
    }
  } else if (bits != 16 && bits != 24 && bits != 32) {
    return nullptr;
  }
  if (std::fseek(file, static_cast<long>(dataOffset), SEEK_SET) != 0) return nullptr;
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  std::vector<std::uint8_t> row(rowBytes);
  for (std::int64_t i = 0; i < height; ++i) {
    // A row missing is a cut file.
    if (!readExactly(file, row.data(), rowBytes)) return nullptr;
    const int y = static_cast<int>(signedHeight < 0 ? i : height - 1 - i);
    for (int x = 0; x < width; ++x) {
      int grey = 0;
      if (!paletteGreys.empty()) {
        const int perByte = 8 / bits;
        grey = paletteGreys[(row[x / perByte] >> (8 - bits * (1 + x % perByte))) & ((1 << bits) - 1)];
      } else if (bits == 24) {
        const std::uint8_t* pixel = &row[3 * static_cast<std::size_t>(x)];
        grey = greyOf(pixel[2], pixel[1], pixel[0]);
      } else {
        const std::uint32_t pixel = little(&row[static_cast<std::size_t>(x) * (bits / 8)], bits / 8);
        grey = greyOf(channel(pixel, masks[0]), channel(pixel, masks[1]), channel(pixel, masks[2]));
      }
      picture.set(x, y, grey);
    }
  }
  return picture.taken();
}

}  // namespace mivo::platform
