#include "platform/linux/text_recognition/noise_removal.h"

#include <algorithm>
#include <vector>

namespace mivo::platform {
namespace {

constexpr int kSquare = 32;
constexpr int kMiddleGrey = 128;
// Changes at this many hundredths of the pixels or more, both ways: noise
// changes at half of them; the text of the benchmark's screens at 31
// hundredths at most, a scroll bar's stipple beside text at 42.
constexpr int kPercentChanging = 45;
// Or at this many hundredths one way: lines three pixels apart or closer,
// where text changes at 32 hundredths at most.
constexpr int kPercentChangingOneWay = 60;
// A square that changes at this many hundredths both ways, with this many
// squares of noise around it, is noise as well.
constexpr int kPercentNearlyNoise = 35;
constexpr int kNoisyNeighbours = 6;

}  // namespace

void whitenNoise(Pix* grey) {
  const int width = pixGetWidth(grey);
  const int height = pixGetHeight(grey);
  l_uint32* const rows = pixGetData(grey);
  const int words = pixGetWpl(grey);
  const auto dark = [&](int x, int y) { return GET_DATA_BYTE(rows + y * words, x) < kMiddleGrey; };
  const int across = (width + kSquare - 1) / kSquare;
  const int down = (height + kSquare - 1) / kSquare;
  // Of each square: 2 noise, 1 nearly noise, 0 neither.
  std::vector<unsigned char> kind(static_cast<std::size_t>(across) * down, 0);
  for (int row = 0; row < down; ++row) {
    const int top = row * kSquare;
    const int bottom = std::min(top + kSquare, height - 1);
    for (int column = 0; column < across; ++column) {
      const int left = column * kSquare;
      const int right = std::min(left + kSquare, width - 1);
      int changesAcross = 0;
      int changesDown = 0;
      for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
          const bool here = dark(x, y);
          changesAcross += here != dark(x + 1, y);
          changesDown += here != dark(x, y + 1);
        }
      }
      const long long pixels = static_cast<long long>(bottom - top) * (right - left);
      if (pixels <= 0) continue;
      const long long both = 100LL * std::min(changesAcross, changesDown);
      const long long oneWay = 100LL * std::max(changesAcross, changesDown);
      const bool noise = both >= kPercentChanging * pixels || oneWay >= kPercentChangingOneWay * pixels;
      kind[static_cast<std::size_t>(row) * across + column] =
          noise ? 2 : both >= kPercentNearlyNoise * pixels ? 1 : 0;
    }
  }
  const auto whiten = [&](int row, int column) {
    for (int y = row * kSquare; y < std::min((row + 1) * kSquare, height); ++y) {
      for (int x = column * kSquare; x < std::min((column + 1) * kSquare, width); ++x) {
        SET_DATA_BYTE(rows + y * words, x, 255);
      }
    }
  };
  for (int row = 0; row < down; ++row) {
    for (int column = 0; column < across; ++column) {
      const unsigned char here = kind[static_cast<std::size_t>(row) * across + column];
      if (here == 0) continue;
      // A square nearly noise amid noise is noise too: noise changes at half
      // of its pixels give or take a few hundredths, and a square a little
      // below would be left as an island of specks.
      int noisy = 0;
      for (int r = std::max(row - 1, 0); r <= std::min(row + 1, down - 1); ++r) {
        for (int c = std::max(column - 1, 0); c <= std::min(column + 1, across - 1); ++c) {
          noisy += kind[static_cast<std::size_t>(r) * across + c] == 2 ? 1 : 0;
        }
      }
      if (here == 2 || noisy >= kNoisyNeighbours) whiten(row, column);
    }
  }
}

}  // namespace mivo::platform
