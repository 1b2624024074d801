#include "hands/screenshot_size.h"

#include <algorithm>
#include <cmath>

#include "hands/whole_number.h"

namespace mivo::hands {
namespace {

// A side in whole pixels: at least 1, none beyond the range.
std::optional<std::int64_t> side(double pixels) {
  double whole = std::round(pixels);
  if (whole <= 1) whole = 1;
  return truncated<std::int64_t>(whole);
}

}  // namespace

std::optional<platform::Rect> clippedToDisplay(double x, double y, double w, double h, double width,
                                               double height) {
  if (w < 1) w = 1;
  if (h < 1) h = 1;
  const double left = std::max(x, 0.0);
  const double top = std::max(y, 0.0);
  const double right = std::min(x + w, width);
  const double bottom = std::min(y + h, height);
  if (!(right > left && bottom > top)) return std::nullopt;
  return platform::Rect{left, top, right - left, bottom - top};
}

std::optional<PixelSize> outputSize(const platform::Rect& captured, double max, double pixelScale) {
  double s = max / std::max(captured.width, captured.height);
  if (pixelScale < s) s = pixelScale;
  const std::optional<std::int64_t> width = side(captured.width * s);
  const std::optional<std::int64_t> height = side(s * captured.height);
  if (!width || !height) return std::nullopt;
  return PixelSize{*width, *height};
}

}  // namespace mivo::hands
