#include "platform/linux/text_recognition/text_parts.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/linux/text_recognition/leptonica_pointers.h"

namespace mivo::platform {
namespace {

constexpr int kLetterGrey = 30;
constexpr int kFaintGrey = 137;
// Letters 12 pixels high, 10 apart, their feet on this row.
constexpr int kFoot = 40;

void fill(Pix* grey, int x, int y, int width, int height, int value) {
  for (int row = y; row < y + height; ++row) {
    for (int column = x; column < x + width; ++column) pixSetPixel(grey, column, row, value);
  }
}

// A letter as a terminal font draws an "o" stretched up: a box 6 pixels wide
// of strokes 2 pixels wide, in cell `cell` of a row of cells 10 wide.
void letterAt(Pix* grey, int cell) {
  const int x = 20 + 10 * cell;
  fill(grey, x, kFoot - 12, 6, 12, kLetterGrey);
  fill(grey, x + 2, kFoot - 10, 2, 8, 255);
}

// A line one pixel high, by default grey as where a font's underscore falls
// between two rows, three rows under the letters' feet, across `cells` cells
// from `cell`.
void lineAt(Pix* grey, int cell, int cells, int value = kFaintGrey) {
  fill(grey, 20 + 10 * cell - 2, kFoot + 3, 10 * cells, 1, value);
}

int greyAt(Pix* grey, int x, int y) {
  l_uint32 value = 0;
  pixGetPixel(grey, x, y, &value);
  return static_cast<int>(value);
}

// The line's grey in its middle column, from the row under the letters'
// feet down to the one under the line.
std::vector<int> lineColumn(Pix* grey, int cell) {
  const int x = 20 + 10 * cell + 3;
  std::vector<int> column;
  for (int y = kFoot; y <= kFoot + 4; ++y) column.push_back(greyAt(grey, x, y));
  return column;
}

// A faint underscore between letters is drawn as dark and as thick as the
// letters' strokes, so that the recogniser sees it; one drawn with a whole
// pixel of ink is seen as it is; a line of the faint grey under letters is an
// underline; and a letter beside an underscore keeps its own strokes.
TEST(TextParts, FaintUnderscoresBetweenLettersAreDrawnAsStrokesAndUnderlinesAreLeft) {
  const PixPointer grey(pixCreate(240, 80, 8));
  pixSetAllArbitrary(grey.get(), 255);
  // "ab_cd", after a space "efg" underlined, after another "hi_j" with a
  // dark underscore.
  for (const int cell : {0, 1, 3, 4, 6, 7, 8, 10, 11, 13}) letterAt(grey.get(), cell);
  lineAt(grey.get(), 2, 1);
  lineAt(grey.get(), 6, 3);
  lineAt(grey.get(), 12, 1, kLetterGrey);
  const PixPointer before(pixCopy(nullptr, grey.get()));

  partsReadApart(grey.get());

  EXPECT_EQ(lineColumn(grey.get(), 2), (std::vector<int>{255, 255, kLetterGrey, kLetterGrey, 255}));
  for (const int cell : {6, 7, 8}) {
    EXPECT_EQ(lineColumn(grey.get(), cell), (std::vector<int>{255, 255, 255, kFaintGrey, 255})) << cell;
  }
  EXPECT_EQ(lineColumn(grey.get(), 12), (std::vector<int>{255, 255, 255, kLetterGrey, 255}));
  // Where the letters stand, nothing changed.
  const BoxPointer above(boxCreate(0, 0, 240, kFoot + 1));
  const PixPointer beforeAbove(pixClipRectangle(before.get(), above.get(), nullptr));
  const PixPointer afterAbove(pixClipRectangle(grey.get(), above.get(), nullptr));
  l_int32 same = 0;
  pixEqual(beforeAbove.get(), afterAbove.get(), &same);
  EXPECT_TRUE(same);
}

}  // namespace
}  // namespace mivo::platform
