#include "platform/linux/libjpeg_encoding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace mivo::platform {
namespace {

// A picture whose every pixel differs, so that the quality shows in the size.
RgbImage noise(std::int64_t width, std::int64_t height) {
  RgbImage image{width, height, {}};
  std::uint32_t state = 12345;
  for (std::int64_t i = 0; i < width * height * 3; ++i) {
    state = state * 1103515245 + 12345;
    image.pixels.push_back(static_cast<std::uint8_t>(state >> 16));
  }
  return image;
}

TEST(LibjpegEncoding, MakesAJpegWhoseSizeFollowsTheQuality) {
  LibjpegEncoding encoding;
  const RgbImage image = noise(64, 48);
  const std::optional<std::string> low = encoding.jpegData(image, 0.1);
  const std::optional<std::string> high = encoding.jpegData(image, 0.95);
  ASSERT_TRUE(low && high);
  for (const std::string& jpeg : {*low, *high}) {
    // Start of image, and end of image.
    EXPECT_EQ(jpeg.substr(0, 2), "\xff\xd8");
    EXPECT_EQ(jpeg.substr(jpeg.size() - 2), "\xff\xd9");
  }
  EXPECT_LT(low->size(), high->size());
}

TEST(LibjpegEncoding, TakesAQualityBeyondEitherEndAsThatEnd) {
  LibjpegEncoding encoding;
  const RgbImage image = noise(32, 32);
  EXPECT_EQ(encoding.jpegData(image, 7), encoding.jpegData(image, 1));
  EXPECT_EQ(encoding.jpegData(image, 1e300), encoding.jpegData(image, 1));
  EXPECT_EQ(encoding.jpegData(image, -5), encoding.jpegData(image, 0.01));
  EXPECT_EQ(encoding.jpegData(image, 0), encoding.jpegData(image, 0.01));
  EXPECT_NE(encoding.jpegData(image, 0.5), encoding.jpegData(image, 1));
}

TEST(LibjpegEncoding, GivesNoneForWhatTheLibraryRefusesAndCarriesOn) {
  LibjpegEncoding encoding;
  const struct {
    const char* name;
    RgbImage image;
  } rows[] = {
      {"no pixels", {0, 0, {}}},
      {"no width", {0, 5, {}}},
      {"wider than JPEG allows", {65501, 1, std::vector<std::uint8_t>(65501 * 3)}},
      {"fewer pixels than its size", {4, 4, std::vector<std::uint8_t>(47)}},
      {"more pixels than its size", {4, 4, std::vector<std::uint8_t>(49)}},
      {"a negative size", {-1, -1, std::vector<std::uint8_t>(3)}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(encoding.jpegData(row.image, 0.55), std::nullopt);
  }
  // The library's error left nothing behind that a later encoding meets.
  EXPECT_NE(encoding.jpegData(noise(8, 8), 0.55), std::nullopt);
}

}  // namespace
}  // namespace mivo::platform
