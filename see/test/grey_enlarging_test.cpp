#include "platform/linux/text_recognition/grey_enlarging.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/text_recognition.h"

namespace mivo::platform {
namespace {

// Greys of every value in no order, the same at every run.
PixPointer scattered(int width, int height) {
  PixPointer pix(pixCreate(width, height, 8));
  std::uint32_t state = 97531;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      state = state * 1103515245 + 12345;
      pixSetPixel(pix.get(), x, y, (state >> 16) & 0xff);
    }
  }
  return pix;
}

TEST(GreyEnlarging, GivesLeptonicasLinearInterpolation) {
  const struct {
    const char* name;
    int width;
    int height;
    int scale;
  } rows[] = {
      {"twice, rows not a whole number of words", 37, 23, 2},
      {"three times", 37, 23, 3},
      {"a single pixel, twice", 1, 1, 2},
      {"a single pixel, three times", 1, 1, 3},
      // As wide and as high as Tesseract reads, where sixteenths of a pixel
      // summed in floating point would drift.
      {"three times, 32751 pixels wide", 10917, 2, 3},
      {"three times, 32751 pixels high", 2, 10917, 3},
      {"twice, 32750 pixels wide", 16375, 2, 2},
  };
  for (const auto& row : rows) {
    const PixPointer picture = scattered(row.width, row.height);
    const auto scale = static_cast<l_float32>(row.scale);
    const PixPointer expected(pixScaleGrayLI(picture.get(), scale, scale));
    l_int32 same = 0;
    ASSERT_EQ(pixEqual(expected.get(), enlargedGrey(picture.get(), row.scale).get(), &same), 0) << row.name;
    EXPECT_TRUE(same) << row.name;
  }
}

TEST(GreyEnlarging, RefusesAScaleItDoesNotInterpolate) {
  const PixPointer picture = scattered(4, 4);
  EXPECT_THROW(enlargedGrey(picture.get(), 4), RecognitionError);
}

}  // namespace
}  // namespace mivo::platform
