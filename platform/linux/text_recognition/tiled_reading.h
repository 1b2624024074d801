#pragma once

#include <leptonica/allheaders.h>

#include <functional>
#include <vector>

#include "platform/linux/text_recognition/visual_lines.h"

namespace mivo::platform {

// A tile of a picture, read on its own: the box at (`x`, `y`) of `width` x
// `height` pixels, of which it keeps the words whose middles lie in its core,
// from (`coreLeft`, `coreTop`) to (`coreRight`, `coreBottom`), excluded.
struct Tile {
  int x;
  int y;
  int width;
  int height;
  int coreLeft;
  int coreTop;
  int coreRight;
  int coreBottom;
};

// The tiles that a picture of `width` x `height` pixels is read in: one, the
// whole picture, up to 8192 pixels a side, which every screen fits; beyond,
// as few tiles of one size as keep each side within it, overlapping by 512
// pixels, their cores meeting in the middle of each overlap. A long
// scrolling capture is so read in bands.
std::vector<Tile> tilesOf(int width, int height);

// The words of the 8-bit grey picture `grey`, read tile by tile: `read` gets
// a copy of each tile and returns its words, in the tile's pixels; of them,
// those of the tile's core are kept, in the picture's pixels. Tesseract reads
// no picture with a side over 32767 pixels, and the reading steps' copies of
// a picture take memory by its size: a tile of 8192 pixels a side, read at
// three times its size, stays within both. A line or word of up to 256
// pixels high, or 512 long, that a cut crosses is whole in the tile that
// keeps it. Throws RecognitionError.
std::vector<BoxedWord> wordsReadInTiles(Pix* grey,
                                        const std::function<std::vector<BoxedWord>(Pix* tile)>& read);

}  // namespace mivo::platform
