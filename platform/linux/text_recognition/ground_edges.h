#pragma once

#include <leptonica/allheaders.h>

#include <cstdint>
#include <vector>

namespace mivo::platform {

// Where the ground of an 8-bit grey picture changes from one column to the
// next: the left and right edges of windows, panels and sidebars of another
// colour, found on the picture before any ground is levelled. Text, rules and
// frames thinner than a few pixels leave no edge, so the grid of a table
// parts nothing.
class GroundEdges {
 public:
  // None: no edge anywhere.
  GroundEdges() = default;
  // Throws RecognitionError.
  explicit GroundEdges(Pix* grey);

  // Whether one edge runs down, in the columns `left` to `right`, along
  // nearly all of the rows `top` to `bottom` (pixels of the picture, `right`
  // and `bottom` excluded).
  bool runsDown(int left, int right, int top, int bottom) const;

 private:
  // Edges of the picture reduced `kReduction` times, counted down each
  // column: `counts_[x * (height_ + 1) + y]` edge pixels above row y.
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> counts_;
};

}  // namespace mivo::platform
