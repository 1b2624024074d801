#include "platform/linux/text_recognition/run_pieces.h"

#include <algorithm>
#include <numeric>

#include "platform/text_recognition.h"

namespace mivo::platform {
namespace {

// A row's pixels one word at a time: the first pixel of a word is its most
// significant bit, and the padding after the last pixel is left out.
template <typename EachRun>
void runsOfRow(const l_uint32* row, int width, EachRun eachRun) {
  const int words = (width + 31) / 32;
  const auto wordAt = [&](int i) {
    l_uint32 word = row[i];
    if (i == words - 1 && width % 32 != 0) word &= ~(~l_uint32{0} >> (width % 32));
    return word;
  };
  int x = 0;
  while (x < width) {
    // The next set pixel from x on.
    int i = x / 32;
    l_uint32 word = wordAt(i) & (~l_uint32{0} >> (x % 32));
    while (word == 0 && ++i < words) word = wordAt(i);
    if (word == 0) return;
    const int first = 32 * i + __builtin_clz(word);
    // The next clear pixel after it.
    l_uint32 clear = ~wordAt(i) & (~l_uint32{0} >> (first % 32));
    while (clear == 0 && ++i < words) clear = ~wordAt(i);
    const int end = clear == 0 ? width : std::min(width, 32 * i + __builtin_clz(clear));
    eachRun(first, end - 1);
    x = end;
  }
}

// The first run of a piece, after path halving, which a run of the piece
// points to through its parents.
int rootOf(std::vector<int>& parents, int run) {
  while (parents[run] != run) {
    parents[run] = parents[parents[run]];
    run = parents[run];
  }
  return run;
}

}  // namespace

std::size_t setRunsOf(Pix* bits) {
  const int width = pixGetWidth(bits);
  const int words = pixGetWpl(bits);
  const l_uint32* const data = pixGetData(bits);
  std::size_t runs = 0;
  for (int y = 0; y < pixGetHeight(bits); ++y) runsOfRow(data + y * words, width, [&](int, int) { ++runs; });
  return runs;
}

RunPieces::RunPieces(Pix* bits, int connectivity) {
  const int width = pixGetWidth(bits);
  const int words = pixGetWpl(bits);
  const l_uint32* const data = pixGetData(bits);
  // Runs touch across a corner too when pieces are 8-connected.
  const int reach = connectivity == 8 ? 1 : 0;
  std::vector<int> parents;
  std::size_t above = 0;
  for (int y = 0; y < pixGetHeight(bits); ++y) {
    const std::size_t rowStart = runs_.size();
    std::size_t touching = above;
    runsOfRow(data + y * words, width, [&](int first, int last) {
      const int run = static_cast<int>(runs_.size());
      runs_.push_back({y, first, last});
      parents.push_back(run);
      while (touching < rowStart && runs_[touching].last < first - reach) ++touching;
      for (std::size_t other = touching; other < rowStart && runs_[other].first <= last + reach; ++other) {
        // The piece keeps its earliest run as its root: its first pixel.
        const int a = rootOf(parents, run);
        const int b = rootOf(parents, static_cast<int>(other));
        if (a < b) {
          parents[b] = a;
        } else {
          parents[a] = b;
        }
      }
    });
    above = rowStart;
  }
  pieceOf_.resize(runs_.size());
  for (std::size_t run = 0; run < runs_.size(); ++run) {
    const int root = rootOf(parents, static_cast<int>(run));
    const Run& here = runs_[run];
    if (root == static_cast<int>(run)) {
      pieceOf_[run] = static_cast<int>(boxes_.size());
      boxes_.push_back({here.first, here.y, here.last - here.first + 1, 1, nullptr});
      continue;
    }
    // Roots come before their runs, so the root's piece is known.
    const int piece = pieceOf_[root];
    pieceOf_[run] = piece;
    DarkShape& box = boxes_[piece];
    const int left = std::min(box.x, here.first);
    const int right = std::max(box.x + box.width, here.last + 1);
    box.x = left;
    box.width = right - left;
    box.height = here.y - box.y + 1;
  }
}

std::vector<DarkShape> RunPieces::pieces() && {
  for (DarkShape& box : boxes_) {
    box.pixels.reset(pixCreate(box.width, box.height, 1));
    if (box.pixels == nullptr) throw RecognitionError("the shapes of the picture cannot be found");
  }
  for (std::size_t run = 0; run < runs_.size(); ++run) {
    const Run& here = runs_[run];
    const DarkShape& piece = boxes_[pieceOf_[run]];
    l_uint32* const row = pixGetData(piece.pixels.get()) + (here.y - piece.y) * pixGetWpl(piece.pixels.get());
    for (int x = here.first - piece.x; x <= here.last - piece.x; ++x) SET_DATA_BIT(row, x);
  }
  return std::move(boxes_);
}

}  // namespace mivo::platform
