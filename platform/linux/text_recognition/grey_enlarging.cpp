#include "platform/linux/text_recognition/grey_enlarging.h"

#include <cstdint>
#include <vector>

#include "platform/linux/text_recognition/grey_rows.h"
#include "platform/text_recognition.h"

namespace mivo::platform {
namespace {

// The new pixels `down` of `scale` rows below the old row `y`, between it
// and the next (the last row repeated below itself), one byte each.
template <int scale>
void newRow(const std::uint8_t* upper, const std::uint8_t* lower, int width, int down, std::uint8_t* row) {
  if constexpr (scale == 2) {
    // The mean of the two or four old pixels around, rounded down.
    for (int x = 0; x < width; ++x) {
      const int right = x + 1 < width ? x + 1 : x;
      if (down == 0) {
        row[2 * x] = upper[x];
        row[2 * x + 1] = static_cast<std::uint8_t>((upper[x] + upper[right]) / 2);
      } else {
        row[2 * x] = static_cast<std::uint8_t>((upper[x] + lower[x]) / 2);
        row[2 * x + 1] = static_cast<std::uint8_t>((upper[x] + upper[right] + lower[x] + lower[right]) / 4);
      }
    }
  } else {
    // Weighed in sixteenths of a pixel, down then across, rounded to the
    // nearest: the same sum as each of the four corners weighed at once.
    const int below = 16 * down / scale;
    int here = (16 - below) * upper[0] + below * lower[0];
    for (int x = 0; x < width; ++x) {
      const int next = x + 1 < width ? (16 - below) * upper[x + 1] + below * lower[x + 1] : here;
      for (int across = 0; across < scale; ++across) {
        const int right = 16 * across / scale;
        row[scale * x + across] = static_cast<std::uint8_t>(((16 - right) * here + right * next + 128) / 256);
      }
      here = next;
    }
  }
}

template <int scale>
void enlarge(Pix* grey, Pix* enlarged) {
  const int width = pixGetWidth(grey);
  const int height = pixGetHeight(grey);
  const l_uint32* const greyRows = pixGetData(grey);
  const int greyWords = pixGetWpl(grey);
  l_uint32* const enlargedRows = pixGetData(enlarged);
  const int enlargedWords = pixGetWpl(enlarged);
  std::vector<std::uint8_t> upper(width);
  std::vector<std::uint8_t> lower(width);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * scale);
  unpackedRow(greyRows, width, lower.data());
  for (int y = 0; y < height; ++y) {
    upper.swap(lower);
    if (y + 1 < height) unpackedRow(greyRows + (y + 1) * greyWords, width, lower.data());
    else lower = upper;
    for (int down = 0; down < scale; ++down) {
      newRow<scale>(upper.data(), lower.data(), width, down, row.data());
      packedRow(row.data(), width * scale, enlargedRows + (y * scale + down) * enlargedWords);
    }
  }
}

}  // namespace

PixPointer enlargedGrey(Pix* grey, int scale) {
  PixPointer enlarged(pixCreateNoInit(pixGetWidth(grey) * scale, pixGetHeight(grey) * scale, 8));
  if (enlarged == nullptr || (scale != 2 && scale != 3)) {
    throw RecognitionError("the picture cannot be scaled up");
  }
  if (scale == 2) {
    enlarge<2>(grey, enlarged.get());
  } else {
    enlarge<3>(grey, enlarged.get());
  }
  return enlarged;
}

}  // namespace mivo::platform
