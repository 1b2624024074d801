#include "platform/linux/text_recognition/run_pieces.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace mivo::platform {
namespace {

// Specks, strokes that meet only at corners, runs across word boundaries and
// to the last column, one in `sparseness` pixels set at random, the same at
// every run.
PixPointer specked(int width, int height, int sparseness) {
  PixPointer pix(pixCreate(width, height, 1));
  std::uint32_t state = 424242;
  const auto next = [&state] { return state = state * 1103515245 + 12345, (state >> 16) & 0x7fff; };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool diagonal = (x + y) % 29 == 0;
      const bool across = y % 9 == 4 && x > 20;
      if (diagonal || across || next() % sparseness == 0) pixSetPixel(pix.get(), x, y, 1);
    }
  }
  pixSetPadBits(pix.get(), 1);
  return pix;
}

TEST(RunPieces, AreLeptonicasConnectedPiecesInItsOrder) {
  const struct {
    const char* name;
    int width;
    int height;
    int sparseness;
    int connectivity;
  } rows[] = {
      {"sparse specks, corners joining", 150, 70, 7, 8},
      {"sparse specks, corners apart", 150, 70, 7, 4},
      {"dense: pieces within others' boxes", 97, 61, 2, 8},
      {"dense, corners apart", 97, 61, 2, 4},
      {"rows of a whole number of words", 64, 40, 3, 8},
      {"a single column", 1, 50, 2, 8},
  };
  for (const auto& row : rows) {
    const PixPointer bits = specked(row.width, row.height, row.sparseness);
    Pixa* found = nullptr;
    const BoxaPointer boxes(pixConnComp(bits.get(), &found, row.connectivity));
    const PixaPointer expected(found);
    const std::vector<DarkShape> pieces = RunPieces(bits.get(), row.connectivity).pieces();
    ASSERT_EQ(static_cast<int>(pieces.size()), boxaGetCount(boxes.get())) << row.name;
    for (int i = 0; i < boxaGetCount(boxes.get()); ++i) {
      l_int32 x = 0, y = 0, width = 0, height = 0;
      boxaGetBoxGeometry(boxes.get(), i, &x, &y, &width, &height);
      EXPECT_EQ(pieces[i].x, x) << row.name << ", piece " << i;
      EXPECT_EQ(pieces[i].y, y) << row.name << ", piece " << i;
      EXPECT_EQ(pieces[i].width, width) << row.name << ", piece " << i;
      EXPECT_EQ(pieces[i].height, height) << row.name << ", piece " << i;
      const PixPointer pixels(pixaGetPix(expected.get(), i, L_CLONE));
      l_int32 same = 0;
      pixEqual(pixels.get(), pieces[i].pixels.get(), &same);
      EXPECT_TRUE(same) << row.name << ", piece " << i;
    }
  }
}

TEST(RunPieces, SetRunsAreCountedAlongEachRowUpToItsLastPixel) {
  const PixPointer bits(pixCreate(40, 2, 1));
  // Row 0: a run across the word boundary (30 to 33) and one at the last
  // pixel; row 1: every pixel, padding set too.
  for (int x = 30; x <= 33; ++x) pixSetPixel(bits.get(), x, 0, 1);
  pixSetPixel(bits.get(), 39, 0, 1);
  for (int x = 0; x < 40; ++x) pixSetPixel(bits.get(), x, 1, 1);
  pixSetPadBits(bits.get(), 1);
  EXPECT_EQ(setRunsOf(bits.get()), 3u);
}

}  // namespace
}  // namespace mivo::platform
