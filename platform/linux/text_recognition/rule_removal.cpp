#include "platform/linux/text_recognition/rule_removal.h"

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

}  // namespace

void removeRules(Pix* grey) {
  // The ground around every thin dark mark, and how much darker the mark is.
  const PixPointer ground = checked(pixCloseGray(grey, kThickest, kThickest));
  const PixPointer contrast = checked(pixSubtractGray(nullptr, ground.get(), grey));
  const PixPointer marks = checked(pixThresholdToBinary(contrast.get(), kLeastContrast));
  pixInvert(marks.get(), marks.get());
  // Of the marks, the long straight runs, with the pixel around them that
  // smoothing has tinted.
  const PixPointer across = checked(pixOpenBrick(nullptr, marks.get(), kShortest, 1));
  const PixPointer down = checked(pixOpenBrick(nullptr, marks.get(), 1, kShortest));
  const PixPointer rules = checked(pixOr(nullptr, across.get(), down.get()));
  // And the short edges that meet them at their ends, round corners too: a
  // field's sides under its long top and bottom, a tab's under its top.
  // `along` is the brick of a long rule's pixels with a neighbour on both
  // sides along it; `edge` that of the short edges' runs.
  const auto addEdgesMeeting = [&](Pix* longRules, int alongWidth, int alongHeight, int edgeWidth,
                                   int edgeHeight) {
    const PixPointer inner = checked(pixErodeBrick(nullptr, longRules, alongWidth, alongHeight));
    const PixPointer ends = checked(pixSubtract(nullptr, longRules, inner.get()));
    const PixPointer corners = checked(pixDilateBrick(nullptr, ends.get(), kCornerReach, kCornerReach));
    const PixPointer edges = checked(pixOpenBrick(nullptr, marks.get(), edgeWidth, edgeHeight));
    const PixPointer seeds = checked(pixAnd(nullptr, edges.get(), corners.get()));
    const PixPointer met = checked(pixSeedfillBinary(nullptr, seeds.get(), edges.get(), 8));
    pixOr(rules.get(), rules.get(), met.get());
  };
  addEdgesMeeting(across.get(), 3, 1, 1, kShortestEdge);
  addEdgesMeeting(down.get(), 1, 3, kShortestEdge, 1);
  const PixPointer covered = checked(pixDilateBrick(nullptr, rules.get(), 3, 3));
  if (pixCombineMasked(grey, ground.get(), covered.get()) != 0) {
    throw RecognitionError("the rules of the picture cannot be removed");
  }
}

}  // namespace mivo::platform
