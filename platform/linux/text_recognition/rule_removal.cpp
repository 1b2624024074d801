#include "platform/linux/text_recognition/rule_removal.h"

#include <algorithm>

#include "platform/linux/text_recognition/bit_bricks.h"
#include "platform/linux/text_recognition/dark_shapes.h"
#include "platform/linux/text_recognition/grey_closing.h"
#include "platform/linux/text_recognition/leptonica_pointers.h"
#include "platform/text_recognition.h"

namespace mivo::platform {
namespace {

// A closing this wide fills every line thinner, and no letter stroke is this
// long: the upright of an "l" is some 40 pixels only in headings of 60.
constexpr int kThickest = 7;
constexpr int kShortest = 50;
constexpr int kLeastContrast = 20;
// The shorter edges of a field, a tab or a button, down from a long rule's
// end or across from it, are this long at least, and begin this near to the
// rule's end, past a round corner.
constexpr int kShortestEdge = 10;
constexpr int kCornerReach = 9;

PixPointer checked(Pix* pix) {
  if (pix == nullptr) throw RecognitionError("the rules of the picture cannot be removed");
  return PixPointer(pix);
}

// The marks of `grey`: its pixels darker than `ground` by kLeastContrast
// greys or more, in one pass and without a grey copy of the contrast, which
// takes hundreds of megabytes on a large picture.
PixPointer marksOf(Pix* grey, Pix* ground) {
  const int width = pixGetWidth(grey);
  PixPointer marks = checked(pixCreate(width, pixGetHeight(grey), 1));
  const l_uint32* const greyRows = pixGetData(grey);
  const l_uint32* const groundRows = pixGetData(ground);
  l_uint32* const markRows = pixGetData(marks.get());
  const int greyWords = pixGetWpl(grey);
  const int groundWords = pixGetWpl(ground);
  const int markWords = pixGetWpl(marks.get());
  for (int y = 0; y < pixGetHeight(grey); ++y) {
    const l_uint32* const greyRow = greyRows + y * greyWords;
    const l_uint32* const groundRow = groundRows + y * groundWords;
    l_uint32* const markRow = markRows + y * markWords;
    for (int x = 0; x < width; ++x) {
      const int contrast =
          static_cast<int>(GET_DATA_BYTE(groundRow, x)) - static_cast<int>(GET_DATA_BYTE(greyRow, x));
      if (contrast >= kLeastContrast) SET_DATA_BIT(markRow, x);
    }
  }
  return marks;
}

// Each pixel of `grey` that `covered` marks takes the grey of `ground`; rules
// cover little of a picture, and the words of `covered` with no pixel marked
// are passed over.
void paintGround(Pix* grey, Pix* ground, Pix* covered) {
  const int width = pixGetWidth(grey);
  l_uint32* const greyRows = pixGetData(grey);
  const l_uint32* const groundRows = pixGetData(ground);
  const l_uint32* const coveredRows = pixGetData(covered);
  const int greyWords = pixGetWpl(grey);
  const int groundWords = pixGetWpl(ground);
  const int coveredWords = pixGetWpl(covered);
  for (int y = 0; y < pixGetHeight(grey); ++y) {
    l_uint32* const greyRow = greyRows + y * greyWords;
    const l_uint32* const groundRow = groundRows + y * groundWords;
    const l_uint32* const coveredRow = coveredRows + y * coveredWords;
    for (int word = 0; word < coveredWords; ++word) {
      if (coveredRow[word] == 0) continue;
      for (int x = 32 * word; x < std::min(32 * word + 32, width); ++x) {
        if (GET_DATA_BIT(coveredRow, x)) SET_DATA_BYTE(greyRow, x, GET_DATA_BYTE(groundRow, x));
      }
    }
  }
}

}  // namespace

void removeRules(Pix* grey) {
  // The ground around every thin dark mark, and how much darker the mark is.
  const PixPointer ground = closedGrey(grey, kThickest);
  const PixPointer marks = marksOf(grey, ground.get());
  // Of the marks, the long straight runs, with the pixel around them that
  // smoothing has tinted.
  const PixPointer across = openedByBrick(marks.get(), kShortest, 1);
  const PixPointer down = openedByBrick(marks.get(), 1, kShortest);
  const PixPointer rules = checked(pixOr(nullptr, across.get(), down.get()));
  // And the short edges that meet them at their ends, round corners too,
  // at both of their own ends: a field's sides between its long top and
  // bottom, a tab's between its top and the rule under the tabs; not the
  // stem of a letter that stands on an underline near its end. `along` is the
  // brick of a long rule's pixels with a neighbour on both sides along it;
  // `edge` that of the short edges' runs.
  const auto addEdgesMeeting = [&](Pix* longRules, int alongWidth, int alongHeight, int edgeWidth,
                                   int edgeHeight) {
    const PixPointer inner = erodedByBrick(longRules, alongWidth, alongHeight);
    const PixPointer ends = checked(pixSubtract(nullptr, longRules, inner.get()));
    const PixPointer corners = dilatedByBrick(ends.get(), kCornerReach, kCornerReach);
    const PixPointer edges = openedByBrick(marks.get(), edgeWidth, edgeHeight);
    const PixPointer seeds = checked(pixAnd(nullptr, edges.get(), corners.get()));
    const PixPointer met = checked(pixSeedfillBinary(nullptr, seeds.get(), edges.get(), 8));
    const bool upright = edgeHeight > edgeWidth;
    for (const DarkShape& edge : connectedPieces(met.get(), 8)) {
      const int length = upright ? edge.height : edge.width;
      const int reach = std::min(kCornerReach, length / 2);
      // The corners at each end of the edge: its first and its last pixels
      // along its length.
      const auto meetsAt = [&](int from) {
        const BoxPointer end(upright ? boxCreate(edge.x, edge.y + from, edge.width, reach)
                                     : boxCreate(edge.x + from, edge.y, reach, edge.height));
        const PixPointer there = checked(pixClipRectangle(corners.get(), end.get(), nullptr));
        l_int32 empty = 1;
        pixZero(there.get(), &empty);
        return !empty;
      };
      if (meetsAt(0) && meetsAt(length - reach)) {
        pixRasterop(rules.get(), edge.x, edge.y, edge.width, edge.height, PIX_SRC | PIX_DST,
                    edge.pixels.get(), 0, 0);
      }
    }
  };
  addEdgesMeeting(across.get(), 3, 1, 1, kShortestEdge);
  addEdgesMeeting(down.get(), 1, 3, kShortestEdge, 1);
  // Letters that touch a rule keep their strokes: an underline under a
  // link's letters, a descender through it, a table's line under a cell's
  // text. Of the rule, only where no stroke rests on it or crosses it is
  // painted over, and so is the tinted pixel beside it, but not the strokes.
  const PixPointer strokes = checked(pixSubtract(nullptr, marks.get(), rules.get()));
  const auto keepWhereTouched = [&](Pix* lines, int nearWidth, int nearHeight, int throughWidth,
                                    int throughHeight) {
    const PixPointer near = dilatedByBrick(strokes.get(), nearWidth, nearHeight);
    const PixPointer touched = checked(pixAnd(nullptr, lines, near.get()));
    const PixPointer through = dilatedByBrick(touched.get(), throughWidth, throughHeight);
    const PixPointer kept = checked(pixAnd(nullptr, lines, through.get()));
    pixSubtract(rules.get(), rules.get(), kept.get());
  };
  keepWhereTouched(across.get(), 1, 3, 1, 2 * kThickest + 1);
  keepWhereTouched(down.get(), 3, 1, 2 * kThickest + 1, 1);
  const PixPointer beside = dilatedByBrick(rules.get(), 3, 3);
  const PixPointer covered = checked(pixSubtract(nullptr, beside.get(), strokes.get()));
  paintGround(grey, ground.get(), covered.get());
}

}  // namespace mivo::platform
