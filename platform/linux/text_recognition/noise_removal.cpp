#include "platform/linux/text_recognition/noise_removal.h"

#include <algorithm>

namespace mivo::platform {
namespace {

constexpr int kSquare = 32;
constexpr int kMiddleGrey = 128;
// Changes at this many hundredths of the pixels or more, both ways: noise
// changes at half of them; the text of the benchmark's screens at 31
// hundredths at most, a scroll bar's stipple beside text at 42.
constexpr int kPercentChanging = 45;

}  // namespace

void whitenNoise(Pix* grey) {
  const int width = pixGetWidth(grey);
  const int height = pixGetHeight(grey);
  l_uint32* const rows = pixGetData(grey);
  const int words = pixGetWpl(grey);
  const auto dark = [&](int x, int y) { return GET_DATA_BYTE(rows + y * words, x) < kMiddleGrey; };
  for (int top = 0; top + 1 < height; top += kSquare) {
    const int bottom = std::min(top + kSquare, height - 1);
    for (int left = 0; left + 1 < width; left += kSquare) {
      const int right = std::min(left + kSquare, width - 1);
      int across = 0;
      int down = 0;
      for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
          const bool here = dark(x, y);
          across += here != dark(x + 1, y);
          down += here != dark(x, y + 1);
        }
      }
      const int pixels = (bottom - top) * (right - left);
      if (100 * across < kPercentChanging * pixels || 100 * down < kPercentChanging * pixels) continue;
      for (int y = top; y < std::min(top + kSquare, height); ++y) {
        for (int x = left; x < std::min(left + kSquare, width); ++x) SET_DATA_BYTE(rows + y * words, x, 255);
      }
    }
  }
}

}  // namespace mivo::platform
