// What the X screen capture does to the pixels it reads: scaling by areas,
// the pointer blended in, and excluded windows painted black where they show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/linux/x11/area_averaging.h"
#include "platform/linux/x11/blacked_out_rectangles.h"
#include "platform/linux/x11/pointer_drawing.h"

namespace mivo::platform {
namespace {

// A grey picture of one row per text, one pixel per number.
RgbImage grey(const std::vector<std::vector<int>>& rows) {
  RgbImage image{
      static_cast<std::int64_t>(rows.front().size()), static_cast<std::int64_t>(rows.size()), {}};
  for (const auto& row : rows) {
    for (const int value : row) {
      for (int c = 0; c < 3; ++c) image.pixels.push_back(static_cast<std::uint8_t>(value));
    }
  }
  return image;
}

TEST(AreaAveraging, MakesEachPixelTheMeanOfTheAreaItCovers) {
  const struct {
    const char* name;
    RgbImage source;
    Rect region;
    std::int64_t width;
    std::int64_t height;
    RgbImage expected;
  } rows[] = {
      {"the same size", grey({{1, 2}, {3, 4}}), {0, 0, 2, 2}, 2, 2, grey({{1, 2}, {3, 4}})},
      {"halved both ways",
       grey({{0, 40, 100, 100}, {80, 120, 200, 0}}),
       {0, 0, 4, 2},
       2,
       1,
       grey({{60, 100}})},
      {"a third of a side", grey({{30, 60, 90}}), {0, 0, 3, 1}, 1, 1, grey({{60}})},
      {"a region that begins and ends inside pixels",
       grey({{0, 100, 200}}),
       {0.5, 0, 2, 1},
       1,
       1,
       grey({{100}})},
      {"a region of part of the picture",
       grey({{9, 9, 9}, {9, 50, 70}}),
       {1, 1, 2, 1},
       1,
       1,
       grey({{60}})},
      {"enlarged by a whole factor",
       grey({{0, 255}}),
       {0, 0, 2, 1},
       4,
       2,
       grey({{0, 0, 255, 255}, {0, 0, 255, 255}})},
      {"enlarged so that a pixel straddles two",
       grey({{0, 90}}),
       {0, 0, 2, 1},
       3,
       1,
       grey({{0, 45, 90}})},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const RgbImage scaled = areaAveraged(row.source, row.region, row.width, row.height);
    EXPECT_EQ(scaled.width, row.expected.width);
    EXPECT_EQ(scaled.height, row.expected.height);
    EXPECT_EQ(scaled.pixels, row.expected.pixels);
  }
}

TEST(AreaAveraging, KeepsTheColoursApart) {
  const RgbImage source{2, 1, {255, 0, 10, 0, 255, 30}};
  const RgbImage scaled = areaAveraged(source, {0, 0, 2, 1}, 1, 1);
  EXPECT_EQ(scaled.pixels, (std::vector<std::uint8_t>{128, 128, 20}));
}

TEST(PointerDrawing, BlendsItsPremultipliedPixelsAndLeavesOutWhatFallsOutside) {
  // Opaque black, red at half alpha (premultiplied), and clear.
  const PointerImage pointer{3, 1, {0xFF000000, 0x80800000, 0x00000000}};
  const struct {
    const char* name;
    std::int64_t left;
    std::int64_t top;
    std::vector<std::uint8_t> pixels;
  } rows[] = {
      {"inside", 0, 0, {0, 0, 0, 255, 127, 127, 255, 255, 255, 255, 255, 255}},
      {"cut on the left", -1, 0, {255, 127, 127, 255, 255, 255, 255, 255, 255, 255, 255, 255}},
      {"cut on the right", 3, 0, {255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0}},
      {"wholly outside", 0, 1, std::vector<std::uint8_t>(12, 255)},
      {"far away", -1000000, 5000000, std::vector<std::uint8_t>(12, 255)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    RgbImage image = grey({{255, 255, 255, 255}});
    drawPointer(image, pointer, row.left, row.top);
    EXPECT_EQ(image.pixels, row.pixels);
  }
}

// `image` as one text per row: '#' for a black pixel, '.' for any other.
std::vector<std::string> blackPixels(const RgbImage& image) {
  std::vector<std::string> rows;
  for (std::int64_t y = 0; y < image.height; ++y) {
    std::string row;
    for (std::int64_t x = 0; x < image.width; ++x) {
      row += image.pixels[static_cast<std::size_t>((y * image.width + x) * 3)] == 0 ? '#' : '.';
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(BlackedOut, PaintsWhatShowsOfTheExcludedWindows) {
  const struct {
    const char* name;
    std::vector<StackedWindow> bottom_to_top;
    std::vector<std::string> black;
  } rows[] = {
      {"one excluded window", {{{1, 1, 3, 2}, true}}, {"......", ".###..", ".###..", "......"}},
      {"one kept window", {{{1, 1, 3, 2}, false}}, {"......", "......", "......", "......"}},
      {"an excluded window under a kept one",
       {{{0, 0, 4, 3}, true}, {{1, 1, 4, 3}, false}},
       {"####..", "#.....", "#.....", "......"}},
      {"an excluded window over a kept one",
       {{{1, 1, 4, 3}, false}, {{0, 0, 4, 3}, true}},
       {"####..", "####..", "####..", "......"}},
      {"an excluded window wholly covered",
       {{{1, 1, 2, 2}, true}, {{0, 0, 6, 4}, false}},
       {"......", "......", "......", "......"}},
      {"a kept window in the middle of an excluded one",
       {{{0, 0, 6, 4}, true}, {{2, 1, 2, 2}, false}},
       {"######", "##..##", "##..##", "######"}},
      {"two excluded windows overlapping",
       {{{0, 0, 3, 3}, true}, {{2, 1, 3, 3}, true}},
       {"###...", "#####.", "#####.", "..###."}},
      {"reaching past the picture",
       {{{-2, 2, 20, 9}, true}},
       {"......", "......", "######", "######"}},
      {"an empty window", {{{1, 1, 0, 2}, true}}, {"......", "......", "......", "......"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    RgbImage image = grey(std::vector<std::vector<int>>(4, std::vector<int>(6, 200)));
    const std::vector<PixelRect> black = blackedOut(row.bottom_to_top);
    for (const PixelRect& rect : black) paintBlack(image, rect);
    EXPECT_EQ(blackPixels(image), row.black);
    // No two pieces overlap: their areas add up to what is black.
    std::int64_t area = 0;
    for (const PixelRect& rect : black) {
      const std::int64_t w =
          std::min<std::int64_t>(rect.x + rect.width, 6) - std::max<std::int64_t>(rect.x, 0);
      const std::int64_t h =
          std::min<std::int64_t>(rect.y + rect.height, 4) - std::max<std::int64_t>(rect.y, 0);
      if (w > 0 && h > 0) area += w * h;
    }
    std::int64_t painted = 0;
    for (const std::string& line : blackPixels(image))
      painted += std::count(line.begin(), line.end(), '#');
    EXPECT_EQ(area, painted);
  }
}

}  // namespace
}  // namespace mivo::platform
