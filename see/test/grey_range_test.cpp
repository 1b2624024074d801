#include "platform/linux/text_recognition/grey_range.h"

#include <gtest/gtest.h>

#include "platform/linux/text_recognition/leptonica_pointers.h"

namespace mivo::platform {
namespace {

TEST(GreyRange, IsTheDarkestAndLightestGreyWhereverTheyLie) {
  const struct {
    const char* name;
    int width;
    int height;
    int darkX;
    int darkY;
    int lightX;
    int lightY;
  } rows[] = {
      {"both in the first chunk of sixteen", 64, 3, 0, 0, 5, 0},
      {"past the last chunk of sixteen, in a whole word", 23, 2, 17, 1, 19, 0},
      {"in the last word, partly filled", 23, 2, 22, 0, 21, 1},
      {"a picture narrower than a word", 3, 4, 2, 3, 0, 0},
      {"on the last row", 40, 5, 39, 4, 38, 4},
  };
  for (const auto& row : rows) {
    const PixPointer pix(pixCreate(row.width, row.height, 8));
    pixSetAllArbitrary(pix.get(), 128);
    // The padding of each row's last word is no pixel: darker and lighter
    // than any, it must not count.
    pixSetPadBits(pix.get(), 0);
    pixSetPixel(pix.get(), row.darkX, row.darkY, 30);
    pixSetPixel(pix.get(), row.lightX, row.lightY, 220);
    const GreyRange range = greyRangeOf(pix.get());
    EXPECT_EQ(range.darkest, 30) << row.name;
    EXPECT_EQ(range.lightest, 220) << row.name;
    pixSetPadBits(pix.get(), 1);
    EXPECT_EQ(greyRangeOf(pix.get()).lightest, 220) << row.name;
  }
}

}  // namespace
}  // namespace mivo::platform
