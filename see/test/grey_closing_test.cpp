#include "platform/linux/text_recognition/grey_closing.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace mivo::platform {
namespace {

// A light picture with dark specks, strokes and lines, of every grey, the
// same at every run.
PixPointer speckled(int width, int height) {
  PixPointer pix(pixCreate(width, height, 8));
  std::uint32_t state = 12345;
  const auto next = [&state] { return state = state * 1103515245 + 12345, (state >> 16) & 0x7fff; };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool stroke = x % 13 == 5 || y % 11 == 3;
      const int grey = next() % 4 == 0 ? static_cast<int>(next() % 256) : stroke ? 40 : 250;
      pixSetPixel(pix.get(), x, y, grey);
    }
  }
  return pix;
}

TEST(GreyClosing, GivesLeptonicasClosingAtEverySizeAndEdge) {
  const struct {
    const char* name;
    int width;
    int height;
    int size;
  } rows[] = {
      {"a screen-like picture, the ground of thin strokes", 203, 97, 7},
      {"the wider square of the grounds", 203, 97, 15},
      {"rows not a whole number of words long", 37, 41, 15},
      {"narrower and lower than the square", 9, 5, 15},
      {"a single pixel", 1, 1, 7},
      {"a single row", 64, 1, 7},
      {"a single column", 1, 64, 7},
      {"a square of one pixel leaves the picture as it is", 50, 30, 1},
  };
  for (const auto& row : rows) {
    const PixPointer picture = speckled(row.width, row.height);
    const PixPointer expected(pixCloseGray(picture.get(), row.size, row.size));
    const PixPointer closed = closedGrey(picture.get(), row.size);
    l_int32 same = 0;
    ASSERT_EQ(pixEqual(expected.get(), closed.get(), &same), 0) << row.name;
    EXPECT_TRUE(same) << row.name;
  }
}

}  // namespace
}  // namespace mivo::platform
