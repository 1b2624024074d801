#include "platform/linux/rule_removal.h"

#include "platform/linux/leptonica_pointers.h"
#include "platform/text_recognition.h"

namespace mivo::platform {
namespace {

// A closing this wide fills every line thinner, and no letter stroke is this
// long: the upright of an "l" is some 40 pixels only in headings of 60.
constexpr int kThickest = 7;
constexpr int kShortest = 50;
constexpr int kLeastContrast = 20;

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
  const PixPointer covered = checked(pixDilateBrick(nullptr, rules.get(), 3, 3));
  if (pixCombineMasked(grey, ground.get(), covered.get()) != 0) {
    throw RecognitionError("the rules of the picture cannot be removed");
  }
}

}  // namespace mivo::platform
