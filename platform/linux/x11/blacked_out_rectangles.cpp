#include "platform/linux/x11/blacked_out_rectangles.h"

#include <algorithm>
#include <cstddef>

namespace mivo::platform {
namespace {

bool isEmpty(const PixelRect& rect) { return rect.width <= 0 || rect.height <= 0; }

// `rect` without `cover`: at most four pieces, the bands above and below the
// cover and the pieces beside it between them.
void appendDifference(const PixelRect& rect, const PixelRect& cover,
                      std::vector<PixelRect>& pieces) {
  const std::int64_t left = std::max(rect.x, cover.x);
  const std::int64_t top = std::max(rect.y, cover.y);
  const std::int64_t right = std::min(rect.x + rect.width, cover.x + cover.width);
  const std::int64_t bottom = std::min(rect.y + rect.height, cover.y + cover.height);
  if (left >= right || top >= bottom) {
    pieces.push_back(rect);
    return;
  }
  const PixelRect candidates[] = {
      {rect.x, rect.y, rect.width, top - rect.y},
      {rect.x, bottom, rect.width, rect.y + rect.height - bottom},
      {rect.x, top, left - rect.x, bottom - top},
      {right, top, rect.x + rect.width - right, bottom - top},
  };
  for (const PixelRect& piece : candidates) {
    if (!isEmpty(piece)) pieces.push_back(piece);
  }
}

}  // namespace

std::vector<PixelRect> blackedOut(const std::vector<StackedWindow>& bottom_to_top) {
  std::vector<PixelRect> black;
  for (std::size_t i = 0; i < bottom_to_top.size(); ++i) {
    if (!bottom_to_top[i].excluded || isEmpty(bottom_to_top[i].rect)) continue;
    std::vector<PixelRect> visible = {bottom_to_top[i].rect};
    for (std::size_t above = i + 1; above < bottom_to_top.size() && !visible.empty(); ++above) {
      std::vector<PixelRect> left;
      for (const PixelRect& piece : visible) {
        appendDifference(piece, bottom_to_top[above].rect, left);
      }
      visible = std::move(left);
    }
    black.insert(black.end(), visible.begin(), visible.end());
  }
  return black;
}

void paintBlack(RgbImage& image, const PixelRect& rect) {
  const std::int64_t left = std::max<std::int64_t>(rect.x, 0);
  const std::int64_t top = std::max<std::int64_t>(rect.y, 0);
  const std::int64_t right = std::min(rect.x + rect.width, image.width);
  const std::int64_t bottom = std::min(rect.y + rect.height, image.height);
  for (std::int64_t y = top; y < bottom; ++y) {
    for (std::int64_t x = left; x < right; ++x) {
      std::uint8_t* pixel = &image.pixels[static_cast<std::size_t>((y * image.width + x) * 3)];
      pixel[0] = pixel[1] = pixel[2] = 0;
    }
  }
}

}  // namespace mivo::platform
