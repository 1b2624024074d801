#include "platform/linux/text_recognition/grey_closing.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "platform/linux/text_recognition/grey_rows.h"
#include "platform/text_recognition.h"

namespace mivo::platform {
namespace {

// `into[i]` becomes the lighter (or, not `lighter`, the darker) of itself and
// `other[i]`, for `count` greys; `other` may run ahead of `into` in the same
// row, as each chunk is read before it is written.
template <bool lighter>
void pickInto(std::uint8_t* into, const std::uint8_t* other, std::size_t count) {
  std::size_t i = 0;
  for (; i + kGreyLanes <= count; i += kGreyLanes) {
    GreyLanes a;
    GreyLanes b;
    std::memcpy(&a, into + i, kGreyLanes);
    std::memcpy(&b, other + i, kGreyLanes);
    const GreyLanes picked = lighter ? (a > b ? a : b) : (a < b ? a : b);
    std::memcpy(into + i, &picked, kGreyLanes);
  }
  for (; i < count; ++i) into[i] = lighter ? (into[i] > other[i] ? into[i] : other[i])
                                           : (into[i] < other[i] ? into[i] : other[i]);
}

// A picture with a margin of `reach` pixels on every side, rows `stride`
// bytes apart: a square around any pixel of the picture lies within it, and
// the margin, of the grey that never wins, stands for what is past the edge.
struct Margined {
  int width;
  int height;
  int reach;
  std::size_t stride;
  // Not cleared when made: the picture's greys and its margin fill it all.
  std::unique_ptr<std::uint8_t[]> bytes;

  std::uint8_t* row(int y) { return bytes.get() + static_cast<std::size_t>(y) * stride; }
};

// The lightest (or darkest) grey of the square of `2 * reach + 1` pixels
// around each pixel of `picture`, left at the top left of its margined area.
// Doubling: after each pass a byte stands for a run twice as long as before,
// and two overlapping runs make the square's side.
template <bool lighter>
void squareExtremes(Margined& picture) {
  const int side = 2 * picture.reach + 1;
  const std::size_t paddedWidth = static_cast<std::size_t>(picture.width) + 2 * picture.reach;
  const int paddedHeight = picture.height + 2 * picture.reach;
  int run = 1;
  for (; 2 * run <= side; run *= 2) {
    for (int y = picture.reach; y < picture.reach + picture.height; ++y) {
      pickInto<lighter>(picture.row(y), picture.row(y) + run, paddedWidth - run);
    }
  }
  for (int y = picture.reach; y < picture.reach + picture.height; ++y) {
    pickInto<lighter>(picture.row(y), picture.row(y) + (side - run), picture.width);
  }
  // The margin's rows stay as they are, as the lightest of a row of margin
  // is the margin's grey.
  for (run = 1; 2 * run <= side; run *= 2) {
    for (int y = 0; y + run < paddedHeight; ++y) {
      pickInto<lighter>(picture.row(y), picture.row(y + run), picture.width);
    }
  }
  for (int y = 0; y < picture.height; ++y) {
    pickInto<lighter>(picture.row(y), picture.row(y + (side - run)), picture.width);
  }
}

// Puts the picture at the top left of `picture`'s area (where squareExtremes
// leaves it) back within a margin of `margin`.
void remargined(Margined& picture, std::uint8_t margin) {
  const int reach = picture.reach;
  for (int y = picture.height - 1; y >= 0; --y) {
    std::memmove(picture.row(y + reach) + reach, picture.row(y), picture.width);
  }
  const int paddedHeight = picture.height + 2 * reach;
  for (int y = 0; y < paddedHeight; ++y) {
    if (y < reach || y >= reach + picture.height) {
      std::memset(picture.row(y), margin, picture.stride);
      continue;
    }
    std::memset(picture.row(y), margin, reach);
    std::memset(picture.row(y) + reach + picture.width, margin, picture.stride - reach - picture.width);
  }
}

}  // namespace

PixPointer closedGrey(Pix* grey, int size) {
  const int width = pixGetWidth(grey);
  const int height = pixGetHeight(grey);
  const int reach = size / 2;
  Margined picture{width, height, reach, static_cast<std::size_t>(width) + 2 * reach, {}};
  const std::size_t bytes = picture.stride * (static_cast<std::size_t>(height) + 2 * reach);
  picture.bytes.reset(new (std::nothrow) std::uint8_t[bytes]);
  PixPointer closed(pixCreateNoInit(width, height, 8));
  if (picture.bytes == nullptr || closed == nullptr) {
    throw RecognitionError("the picture's grounds cannot be found");
  }
  const l_uint32* const greyRows = pixGetData(grey);
  const int greyWords = pixGetWpl(grey);
  for (int y = 0; y < height; ++y) unpackedRow(greyRows + y * greyWords, width, picture.row(y));
  // Black never wins the lightest, white never the darkest.
  remargined(picture, 0);
  squareExtremes<true>(picture);
  remargined(picture, 255);
  squareExtremes<false>(picture);
  l_uint32* const closedRows = pixGetData(closed.get());
  const int closedWords = pixGetWpl(closed.get());
  for (int y = 0; y < height; ++y) packedRow(picture.row(y), width, closedRows + y * closedWords);
  return closed;
}

}  // namespace mivo::platform
