#include "platform/linux/x11/area_averaging.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace mivo::platform {
namespace {

// The source pixels along one axis that make one output pixel, with their
// weights.
struct Span {
  std::int64_t first;
  std::vector<double> weights;
  double total;
};

// For each of `count` output pixels, the span of the `extent` source pixels
// under its share of [start, start + length).
std::vector<Span> spans(double start, double length, std::int64_t count, std::int64_t extent) {
  std::vector<Span> result;
  result.reserve(static_cast<std::size_t>(count));
  const double step = length / static_cast<double>(count);
  for (std::int64_t i = 0; i < count; ++i) {
    const double from =
        std::clamp(start + step * static_cast<double>(i), 0.0, static_cast<double>(extent));
    const double to =
        std::clamp(start + step * static_cast<double>(i + 1), 0.0, static_cast<double>(extent));
    Span span{
        std::min<std::int64_t>(static_cast<std::int64_t>(std::floor(from)), extent - 1), {}, 0};
    const auto last =
        std::max<std::int64_t>(span.first + 1, static_cast<std::int64_t>(std::ceil(to)));
    for (std::int64_t p = span.first; p < last && p < extent; ++p) {
      const double weight =
          std::min(to, static_cast<double>(p + 1)) - std::max(from, static_cast<double>(p));
      span.weights.push_back(std::max(weight, 0.0));
      span.total += span.weights.back();
    }
    // An area too thin to weigh takes the pixel it lies on.
    if (span.total <= 0) {
      span.weights.assign(1, 1.0);
      span.total = 1;
    }
    result.push_back(std::move(span));
  }
  return result;
}

}  // namespace

RgbImage areaAveraged(const RgbImage& source, const Rect& region, std::int64_t width,
                      std::int64_t height) {
  const std::vector<Span> columns = spans(region.x, region.width, width, source.width);
  const std::vector<Span> rows = spans(region.y, region.height, height, source.height);
  const auto out_width = static_cast<std::size_t>(width);

  // Across first: each source row that a span reaches, at the output's width.
  const std::int64_t first_row = rows.front().first;
  const std::int64_t end_row =
      rows.back().first + static_cast<std::int64_t>(rows.back().weights.size());
  std::vector<double> across(static_cast<std::size_t>(end_row - first_row) * out_width * 3);
  for (std::int64_t y = first_row; y < end_row; ++y) {
    const std::uint8_t* in = &source.pixels[static_cast<std::size_t>(y * source.width) * 3];
    double* out = &across[static_cast<std::size_t>(y - first_row) * out_width * 3];
    for (std::size_t i = 0; i < out_width; ++i) {
      const Span& span = columns[i];
      for (int c = 0; c < 3; ++c) {
        double sum = 0;
        for (std::size_t k = 0; k < span.weights.size(); ++k) {
          sum += span.weights[k] *
                 in[static_cast<std::size_t>(span.first + static_cast<std::int64_t>(k)) * 3 + c];
        }
        out[i * 3 + c] = sum / span.total;
      }
    }
  }

  // Then down.
  RgbImage image{width, height,
                 std::vector<std::uint8_t>(out_width * static_cast<std::size_t>(height) * 3)};
  for (std::int64_t j = 0; j < height; ++j) {
    const Span& span = rows[static_cast<std::size_t>(j)];
    std::uint8_t* out = &image.pixels[static_cast<std::size_t>(j) * out_width * 3];
    for (std::size_t x = 0; x < out_width * 3; ++x) {
      double sum = 0;
      for (std::size_t k = 0; k < span.weights.size(); ++k) {
        const auto row = static_cast<std::size_t>(span.first - first_row) + k;
        sum += span.weights[k] * across[row * out_width * 3 + x];
      }
      out[x] = static_cast<std::uint8_t>(std::clamp(std::lround(sum / span.total), 0L, 255L));
    }
  }
  return image;
}

}  // namespace mivo::platform
