#include "platform/linux/text_recognition/bit_bricks.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace mivo::platform {
namespace {

// Marks of about half the pixels, lines and runs among them, the same at
// every run, with the padding of each row's last word on as an inverted
// picture has it.
PixPointer marked(int width, int height) {
  PixPointer pix(pixCreate(width, height, 1));
  std::uint32_t state = 6789;
  const auto next = [&state] { return state = state * 1103515245 + 12345, (state >> 16) & 0x7fff; };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (y % 17 == 2 || x % 23 == 7 || next() % 2 == 0) pixSetPixel(pix.get(), x, y, 1);
    }
  }
  pixSetPadBits(pix.get(), 1);
  return pix;
}

bool same(Pix* a, Pix* b) {
  l_int32 equal = 0;
  return pixEqual(a, b, &equal) == 0 && equal;
}

TEST(BitBricks, GiveLeptonicasErosionDilationAndOpening) {
  const struct {
    const char* name;
    int width;
    int height;
    int brickWidth;
    int brickHeight;
  } rows[] = {
      {"a long brick across, even", 150, 60, 50, 1},
      {"a long brick down, even", 70, 130, 1, 50},
      {"an odd square", 97, 45, 9, 9},
      {"a brick of a whole word across", 130, 40, 32, 1},
      {"longer than the picture is wide", 20, 30, 33, 1},
      {"higher than the picture", 40, 9, 1, 10},
      {"a brick of three, odd, both ways", 33, 33, 3, 3},
      {"one pixel high rows", 64, 1, 15, 1},
      {"a brick of one pixel leaves the picture as it is", 50, 20, 1, 1},
  };
  for (const auto& row : rows) {
    const PixPointer bits = marked(row.width, row.height);
    const int w = row.brickWidth;
    const int h = row.brickHeight;
    const PixPointer eroded(pixErodeBrick(nullptr, bits.get(), w, h));
    const PixPointer dilated(pixDilateBrick(nullptr, bits.get(), w, h));
    const PixPointer opened(pixOpenBrick(nullptr, bits.get(), w, h));
    EXPECT_TRUE(same(erodedByBrick(bits.get(), w, h).get(), eroded.get())) << row.name;
    EXPECT_TRUE(same(dilatedByBrick(bits.get(), w, h).get(), dilated.get())) << row.name;
    EXPECT_TRUE(same(openedByBrick(bits.get(), w, h).get(), opened.get())) << row.name;
  }
}

}  // namespace
}  // namespace mivo::platform
