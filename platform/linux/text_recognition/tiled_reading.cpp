#include "platform/linux/text_recognition/tiled_reading.h"

#include <algorithm>

#include "platform/linux/text_recognition/leptonica_pointers.h"
#include "platform/text_recognition.h"

namespace mivo::platform {
namespace {

constexpr int kLargestTile = 8192;
constexpr int kOverlap = 512;

// Where the tiles along one side of `length` pixels begin and where their
// cores end, each tile `size` long.
struct Spans {
  int size;
  std::vector<int> starts;
  std::vector<int> coreEnds;
};

Spans spansAlong(int length) {
  if (length <= kLargestTile) return {length, {0}, {length}};
  const int step = kLargestTile - kOverlap;
  const int count = (length - kOverlap + step - 1) / step;
  const int size = (length - kOverlap + count - 1) / count + kOverlap;
  Spans spans{size, {}, {}};
  for (int i = 0; i < count; ++i) spans.starts.push_back(std::min(i * (size - kOverlap), length - size));
  for (int i = 0; i + 1 < count; ++i) spans.coreEnds.push_back((spans.starts[i + 1] + spans.starts[i] + size) / 2);
  spans.coreEnds.push_back(length);
  return spans;
}

}  // namespace

std::vector<Tile> tilesOf(int width, int height) {
  const Spans across = spansAlong(width);
  const Spans down = spansAlong(height);
  std::vector<Tile> tiles;
  for (std::size_t row = 0; row < down.starts.size(); ++row) {
    for (std::size_t column = 0; column < across.starts.size(); ++column) {
      tiles.push_back({across.starts[column], down.starts[row], across.size, down.size,
                       column == 0 ? 0 : across.coreEnds[column - 1], row == 0 ? 0 : down.coreEnds[row - 1],
                       across.coreEnds[column], down.coreEnds[row]});
    }
  }
  return tiles;
}

std::vector<BoxedWord> wordsReadInTiles(Pix* grey,
                                        const std::function<std::vector<BoxedWord>(Pix* tile)>& read) {
  std::vector<BoxedWord> kept;
  for (const Tile& tile : tilesOf(pixGetWidth(grey), pixGetHeight(grey))) {
    const BoxPointer box(boxCreate(tile.x, tile.y, tile.width, tile.height));
    const PixPointer copy(box == nullptr ? nullptr : pixClipRectangle(grey, box.get(), nullptr));
    if (copy == nullptr) throw RecognitionError("the picture cannot be cut into tiles");
    for (BoxedWord& word : read(copy.get())) {
      word.left += tile.x;
      word.right += tile.x;
      word.top += tile.y;
      word.bottom += tile.y;
      const int middleX2 = word.left + word.right;
      const int middleY2 = word.top + word.bottom;
      if (middleX2 >= 2 * tile.coreLeft && middleX2 < 2 * tile.coreRight &&
          middleY2 >= 2 * tile.coreTop && middleY2 < 2 * tile.coreBottom) {
        kept.push_back(std::move(word));
      }
    }
  }
  return kept;
}

}  // namespace mivo::platform
