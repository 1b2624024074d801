#include "platform/linux/text_recognition/dark_shapes.h"

#include <algorithm>
#include <cstdint>

#include "platform/linux/text_recognition/run_pieces.h"
#include "platform/text_recognition.h"

namespace mivo::platform {
namespace {

constexpr std::size_t kMostShapes = 100000;
// The boxes of a screen's shapes cover it a few times over: its desktop, its
// windows, their panels and fields, the letters. Patterns of nested or long
// thin shapes (rings, diagonal lines) cover it hundreds of times, and each
// shape's own pixels would take that much memory, its checks that much time.
constexpr std::uint64_t kMostCoverings = 8;
// A picture of more runs of dark pixels than this, some megabytes of them, is
// measured by Leptonica's fills, which take no memory for each shape, before
// its shapes are found.
constexpr std::size_t kMostRuns = std::size_t{1} << 19;

}  // namespace

std::vector<DarkShape> connectedPieces(Pix* bits, int connectivity) {
  Pixa* found = nullptr;
  const BoxaPointer boxes(pixConnComp(bits, &found, connectivity));
  const PixaPointer pieces(found);
  if (boxes == nullptr || pieces == nullptr) {
    throw RecognitionError("the shapes of the picture cannot be found");
  }
  std::vector<DarkShape> shapes;
  shapes.reserve(pixaGetCount(pieces.get()));
  for (int i = 0; i < pixaGetCount(pieces.get()); ++i) {
    DarkShape shape{0, 0, 0, 0, PixPointer(pixaGetPix(pieces.get(), i, L_CLONE))};
    boxaGetBoxGeometry(boxes.get(), i, &shape.x, &shape.y, &shape.width, &shape.height);
    shapes.push_back(std::move(shape));
  }
  return shapes;
}

std::vector<DarkShape> darkShapesOf(Pix* grey, int darkerThan) {
  const PixPointer dark(pixThresholdToBinary(grey, darkerThan));
  if (dark == nullptr) throw RecognitionError("the picture cannot be made black and white");
  const std::uint64_t mostCovered =
      kMostCoverings * pixGetWidth(grey) * static_cast<std::uint64_t>(pixGetHeight(grey));
  const auto coverings = [](const std::vector<DarkShape>& boxes) {
    std::uint64_t covered = 0;
    for (const DarkShape& box : boxes) {
      covered += static_cast<std::uint64_t>(box.width) * static_cast<std::uint64_t>(box.height);
    }
    return covered;
  };
  std::vector<DarkShape> shapes;
  if (setRunsOf(dark.get()) <= kMostRuns) {
    // Few runs, as on every screen: the shapes and their boxes at once.
    RunPieces pieces(dark.get(), 8);
    if (pieces.boxes().size() > kMostShapes || coverings(pieces.boxes()) > mostCovered) return {};
    shapes = std::move(pieces).pieces();
  } else {
    // Counted first, which takes no memory for each.
    l_int32 count = 0;
    if (pixCountConnComp(dark.get(), 8, &count) != 0) {
      throw RecognitionError("the shapes of the picture cannot be counted");
    }
    if (static_cast<std::size_t>(count) > kMostShapes) return {};
    // Their boxes next, which take little memory.
    const BoxaPointer boxes(pixConnCompBB(dark.get(), 8));
    if (boxes == nullptr) throw RecognitionError("the shapes of the picture cannot be found");
    std::vector<DarkShape> boxed;
    for (int i = 0; i < boxaGetCount(boxes.get()); ++i) {
      DarkShape box{0, 0, 0, 0, nullptr};
      boxaGetBoxGeometry(boxes.get(), i, &box.x, &box.y, &box.width, &box.height);
      boxed.push_back(std::move(box));
    }
    if (coverings(boxed) > mostCovered) return {};
    shapes = connectedPieces(dark.get(), 8);
  }
  std::stable_sort(shapes.begin(), shapes.end(),
                   [](const DarkShape& a, const DarkShape& b) { return a.x < b.x; });
  return shapes;
}

PixPointer enclosedBy(const DarkShape& shape) {
  PixPointer enclosed(pixHolesByFilling(shape.pixels.get(), 4));
  if (enclosed == nullptr) throw RecognitionError("the shapes of the picture cannot be filled");
  return enclosed;
}

int shapesEnclosed(const DarkShape& outer, Pix* enclosed, const std::vector<DarkShape>& shapes,
                   int enough) {
  int count = 0;
  // Only the shapes that begin within the outer box's columns can be in it.
  auto shape = std::lower_bound(shapes.begin(), shapes.end(), outer.x,
                                [](const DarkShape& s, int x) { return s.x < x; });
  for (; shape != shapes.end() && shape->x < outer.x + outer.width; ++shape) {
    const bool within = shape->y >= outer.y && shape->x + shape->width <= outer.x + outer.width &&
                        shape->y + shape->height <= outer.y + outer.height;
    if (!within || &*shape == &outer) continue;
    l_uint32 inside = 0;
    pixGetPixel(enclosed, shape->x + shape->width / 2 - outer.x,
                shape->y + shape->height / 2 - outer.y, &inside);
    if (inside != 0 && ++count == enough) break;
  }
  return count;
}

}  // namespace mivo::platform
