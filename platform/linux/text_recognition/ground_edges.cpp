#include "platform/linux/text_recognition/ground_edges.h"

#include <algorithm>
#include <cstdlib>

#include "platform/linux/text_recognition/leptonica_pointers.h"
#include "platform/text_recognition.h"

namespace mivo::platform {
namespace {

// The picture is read at an eighth of its size, each pixel a middle grey of
// its 8 x 8 block, so that strokes of text and thin lines vanish and grounds
// stay.
constexpr int kReduction = 8;
// Grounds this far apart in grey: a window and the desktop around it, a
// terminal beside another, a coloured sidebar; not a field on a light
// window, nor a table's striped rows.
constexpr int kLeastStep = 32;
constexpr int kEvenGround = 16;
// An edge runs down rows when it holds in this many eighths of them, and
// they are this many reduced pixels high at least: along one row of text, what
// is left of the letters of the rows above and below can look like one.
constexpr int kEighthsDown = 7;
constexpr int kFewestRows = 4;

// Whether two grounds meet between the greys `a`, `b` (left) and `c`, `d`
// (right): each side even, the two far apart. A line has the same ground on
// both its sides.
bool isStep(int a, int b, int c, int d) {
  return std::abs(a - b) < kEvenGround && std::abs(c - d) < kEvenGround &&
         std::abs(a + b - c - d) >= 2 * kLeastStep;
}

// `grey` at half its size, each pixel the second darkest (`rank` 2) or the
// second lightest (3) grey of its 2 x 2 block, a last odd row or column left
// out: what Leptonica's rank reduction gives, found by comparisons alone.
PixPointer halvedByRank(Pix* grey, int rank) {
  const int width = pixGetWidth(grey) / 2;
  const int height = pixGetHeight(grey) / 2;
  PixPointer halved(pixCreateNoInit(width, height, 8));
  if (halved == nullptr) throw RecognitionError("the grounds of the picture cannot be found");
  const l_uint32* const rows = pixGetData(grey);
  const int words = pixGetWpl(grey);
  l_uint32* const halvedRows = pixGetData(halved.get());
  const int halvedWords = pixGetWpl(halved.get());
  for (int y = 0; y < height; ++y) {
    const l_uint32* const upper = rows + 2 * y * words;
    const l_uint32* const lower = upper + words;
    l_uint32* const to = halvedRows + y * halvedWords;
    for (int x = 0; x < width; ++x) {
      const int a = static_cast<int>(GET_DATA_BYTE(upper, 2 * x));
      const int b = static_cast<int>(GET_DATA_BYTE(upper, 2 * x + 1));
      const int c = static_cast<int>(GET_DATA_BYTE(lower, 2 * x));
      const int d = static_cast<int>(GET_DATA_BYTE(lower, 2 * x + 1));
      // The darker of each pair and the lighter: the darkest of the four is
      // the darker of the darker ones, the lightest the lighter of the
      // lighter ones, and the two between are what is left.
      const int middleDark = std::max(std::min(a, b), std::min(c, d));
      const int middleLight = std::min(std::max(a, b), std::max(c, d));
      SET_DATA_BYTE(to, x, rank == 2 ? std::min(middleDark, middleLight) : std::max(middleDark, middleLight));
    }
  }
  return halved;
}

}  // namespace

GroundEdges::GroundEdges(Pix* grey) {
  if (pixGetWidth(grey) < 4 * kReduction || pixGetHeight(grey) < 4 * kReduction) return;
  // Ranks 2 and 3 of each 2 x 2 block in turn: the middle of the block, light
  // or dark alike.
  const PixPointer reduced = halvedByRank(halvedByRank(halvedByRank(grey, 2).get(), 3).get(), 2);
  width_ = pixGetWidth(reduced.get());
  height_ = pixGetHeight(reduced.get());
  counts_.assign(static_cast<std::size_t>(width_) * (height_ + 1), 0);
  const l_uint32* const rows = pixGetData(reduced.get());
  const int words = pixGetWpl(reduced.get());
  for (int x = 2; x + 2 < width_; ++x) {
    std::uint32_t* const column = &counts_[static_cast<std::size_t>(x) * (height_ + 1)];
    for (int y = 0; y < height_; ++y) {
      const l_uint32* const row = rows + y * words;
      const auto at = [row](int i) { return static_cast<int>(GET_DATA_BYTE(row, i)); };
      column[y + 1] = column[y] + (isStep(at(x - 2), at(x - 1), at(x + 1), at(x + 2)) ? 1 : 0);
    }
  }
}

bool GroundEdges::runsDown(int left, int right, int top, int bottom) const {
  if (counts_.empty()) return false;
  const int first = std::clamp(left / kReduction, 0, width_ - 1);
  const int last = std::clamp((right - 1) / kReduction, 0, width_ - 1);
  const int from = std::clamp(top / kReduction, 0, height_ - 1);
  const int to = std::clamp((bottom + kReduction - 1) / kReduction, from + 1, height_);
  if (to - from < kFewestRows) return false;
  const std::uint32_t rows = static_cast<std::uint32_t>(to - from);
  for (int x = first; x <= last; ++x) {
    const std::uint32_t* const column = &counts_[static_cast<std::size_t>(x) * (height_ + 1)];
    if (kEighthsDown * rows <= 8 * (column[to] - column[from])) return true;
  }
  return false;
}

}  // namespace mivo::platform
