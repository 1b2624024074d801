#pragma once

#include <leptonica/allheaders.h>

#include <cstddef>
#include <vector>

#include "platform/linux/text_recognition/dark_shapes.h"

namespace mivo::platform {

// The runs of set pixels along the rows of a 1-bit picture: no picture has
// more connected pieces than runs.
std::size_t setRunsOf(Pix* bits);

// The connected pieces of a 1-bit picture's set pixels (`connectivity` 4 or
// 8), found in one pass over its rows by joining the runs that touch, which
// takes memory in proportion to the runs: the same boxes and pixels, in the
// same order, as Leptonica's pixConnComp, which fills each piece in turn.
class RunPieces {
 public:
  RunPieces(Pix* bits, int connectivity);

  // Each piece's box, without its pixels, in the order of their first pixel
  // along the rows.
  const std::vector<DarkShape>& boxes() const { return boxes_; }
  // The pieces with their pixels. Throws RecognitionError.
  std::vector<DarkShape> pieces() &&;

 private:
  struct Run {
    int y;
    int first;
    int last;
  };

  std::vector<Run> runs_;
  // The piece of each run.
  std::vector<int> pieceOf_;
  std::vector<DarkShape> boxes_;
};

}  // namespace mivo::platform
