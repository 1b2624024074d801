#include "platform/linux/text_recognition/frame_removal.h"

#include <algorithm>
#include <vector>

#include "platform/linux/text_recognition/dark_shapes.h"
#include "platform/linux/text_recognition/leptonica_pointers.h"
#include "platform/text_recognition.h"

namespace mivo::platform {
namespace {

// A letter encloses nothing but its counters; "©" encloses one shape.
constexpr int kShapesOfAFrame = 2;
// Stipples and boxes smaller than this are dots and dashes of text.
constexpr int kSmallestMark = 8;
// A box narrower than that is a block cursor of a small terminal font, one
// character cell, as a stroke of a letter or a dash never is: this wide at
// least, and at most three times as high as wide.
constexpr int kNarrowestCursor = 4;
constexpr int kCursorHeightsPerWidth = 3;
// Stippled handles and scroll bars are smaller than this, in pixels.
constexpr long long kLargestStipple = 256 * 256;
// Check boxes with round corners are this large at least, as most letters
// of their labels are not.
constexpr int kSmallestCheckBox = 12;

bool isFrame(const DarkShape& shape, const std::vector<DarkShape>& shapes) {
  const PixPointer enclosed = enclosedBy(shape);
  return shapesEnclosed(shape, enclosed.get(), shapes, kShapesOfAFrame) >= kShapesOfAFrame;
}

// Dark and light alternate along its rows and along its columns at every
// second pixel or more often, where the strokes of a letter run for several
// pixels at least one way.
bool isStipple(const DarkShape& shape) {
  if (shape.width < kSmallestMark || shape.height < kSmallestMark) return false;
  if (static_cast<long long>(shape.width) * shape.height > kLargestStipple) return false;
  long long across = 0;
  long long down = 0;
  for (int y = 0; y < shape.height; ++y) {
    for (int x = 0; x < shape.width; ++x) {
      l_uint32 here = 0, right = 0, below = 0;
      pixGetPixel(shape.pixels.get(), x, y, &here);
      if (x + 1 < shape.width) {
        pixGetPixel(shape.pixels.get(), x + 1, y, &right);
        across += here != right;
      }
      if (y + 1 < shape.height) {
        pixGetPixel(shape.pixels.get(), x, y + 1, &below);
        down += here != below;
      }
    }
  }
  const long long area = static_cast<long long>(shape.width) * shape.height;
  return 2 * across >= area && 2 * down >= area;
}

// A rectangle, hollow or filled, whose four edges are dark from end to end: a
// text cursor, a check box, a square bullet; or, as large as a check box and
// nearly square, dark along the middle three fifths of each edge: one with
// round corners. No letter has four straight edges.
bool isBox(const DarkShape& shape) {
  const int narrow = std::min(shape.width, shape.height);
  const int wide = std::max(shape.width, shape.height);
  if (wide < kSmallestMark || narrow < kNarrowestCursor) return false;
  if (narrow < kSmallestMark && wide > kCursorHeightsPerWidth * narrow) return false;
  const bool rounded = narrow >= kSmallestCheckBox && 3 * wide <= 4 * narrow;
  const auto dark = [&](int x, int y) {
    l_uint32 value = 0;
    pixGetPixel(shape.pixels.get(), x, y, &value);
    return value != 0;
  };
  // Where each edge must be dark: all along it, or past its corners.
  const auto from = [&](int length) { return rounded ? length / 5 : 0; };
  for (int x = from(shape.width); x < shape.width - from(shape.width); ++x) {
    if (!dark(x, 0) || !dark(x, shape.height - 1)) return false;
  }
  for (int y = from(shape.height); y < shape.height - from(shape.height); ++y) {
    if (!dark(0, y) || !dark(shape.width - 1, y)) return false;
  }
  return true;
}

// Whether a dot stands over `stem`, as over the stem of a bold "i" or "j",
// which is as straight as a cursor: the stem narrow and upright; the dot over
// its columns, out of them by half the stem's width at most, at least half as
// wide as the stem, no higher than the stem is wide and at least half as high
// as it is wide (no dash, no underscore, no letter of the line above), at
// most half the stem's width above it.
bool dottedAbove(const DarkShape& stem, const std::vector<DarkShape>& shapes) {
  if (stem.width >= kSmallestMark || stem.height <= stem.width) return false;
  const int overhang = stem.width / 2;
  auto shape = std::lower_bound(shapes.begin(), shapes.end(), stem.x - overhang,
                                [](const DarkShape& s, int x) { return s.x < x; });
  for (; shape != shapes.end() && shape->x < stem.x + stem.width; ++shape) {
    const int gap = stem.y - (shape->y + shape->height);
    if (shape->x + shape->width <= stem.x + stem.width + overhang && 2 * shape->width >= stem.width &&
        shape->height <= stem.width && 2 * shape->height >= shape->width && gap >= 0 &&
        2 * gap <= stem.width) {
      return true;
    }
  }
  return false;
}

}  // namespace

void removeFrames(Pix* grey) {
  const std::vector<DarkShape> shapes = darkShapesOf(grey);
  for (const DarkShape& shape : shapes) {
    const bool box = isBox(shape) && !dottedAbove(shape, shapes);
    if (!box && !isStipple(shape) && !isFrame(shape, shapes)) continue;
    if (pixSetMaskedGeneral(grey, shape.pixels.get(), 255, shape.x, shape.y) != 0) {
      throw RecognitionError("the frames of the picture cannot be removed");
    }
  }
}

}  // namespace mivo::platform
