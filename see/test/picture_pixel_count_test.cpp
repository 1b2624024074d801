#include "platform/linux/text_recognition/picture_pixel_count.h"

#include <gtest/gtest.h>

#include <sys/types.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "see/test/pictures.h"
#include "see/test/temporary_folder.h"

namespace mivo::platform {
namespace {

using test::PictureFormat;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::optional<std::uint64_t> countOf(const std::string& path) {
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (file == nullptr) throw std::runtime_error("cannot open " + path);
  return decodedPixelCount(file.get());
}

TEST(PicturePixelCount, IsTheSizeOfAPictureInEachFormatLeptonicaReads) {
  const test::TemporaryFolder folder;
  const struct {
    const char* name;
    PictureFormat format;
  } rows[] = {
      {"picture.png", PictureFormat::png},   {"picture.jpg", PictureFormat::jpeg},
      {"picture.tif", PictureFormat::tiff},  {"picture.gif", PictureFormat::gif},
      {"picture.bmp", PictureFormat::bmp},   {"picture.pnm", PictureFormat::pnm},
      {"picture.webp", PictureFormat::webp}, {"picture.jp2", PictureFormat::jp2},
      {"picture.spix", PictureFormat::spix},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    test::writeBlankPicture(folder.path(row.name), 41, 29, row.format);
    EXPECT_EQ(countOf(folder.path(row.name)), 41 * 29);
  }
}

TEST(PicturePixelCount, CountsOnlyTheFirstPageOfATiff) {
  const test::TemporaryFolder folder;
  test::writeTiffPages(folder.path("pages.tif"), {{}, {"one", "two"}});
  EXPECT_EQ(countOf(folder.path("pages.tif")), 900 * 80);  // the blank page: 900 x 80
}

TEST(PicturePixelCount, IsWhatTheHeaderClaimsWithoutDecoding) {
  const test::TemporaryFolder folder;
  const std::string bottomUp = test::pictureClaimingSize(PictureFormat::bmp, 16385, 16384);
  // A negative height, as its two's complement.
  const std::string topDown =
      test::pictureClaimingSize(PictureFormat::bmp, 16385, static_cast<std::uint32_t>(-16384));
  const struct {
    const char* name;
    std::string bytes;
    std::uint64_t pixels;
  } rows[] = {
      {"PNG", test::pictureClaimingSize(PictureFormat::png, 100000, 100000), 10000000000},
      {"JPEG", test::pictureClaimingSize(PictureFormat::jpeg, 16385, 16384), 16385 * 16384},
      {"TIFF", test::pictureClaimingSize(PictureFormat::tiff, 16385, 16384), 16385 * 16384},
      {"PNM", test::pictureClaimingSize(PictureFormat::pnm, 16385, 16384), 16385 * 16384},
      {"BMP", bottomUp, 16385 * 16384},
      {"BMP stored top row first (negative height)", topDown, 16385 * 16384},
      {"GIF", test::pictureClaimingSize(PictureFormat::gif, 65535, 65535), 65535ull * 65535},
      // Only the first frame is decoded: an animation is not refused for the
      // frames that follow it.
      {"GIF of 40 x 30 whose second frame is large", test::gifWithSecondFrame(16385, 16384), 40 * 30},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(countOf(folder.writeFile("claim", row.bytes)), row.pixels);
  }
}

// An in-memory file that counts how often it is asked to seek, as each seek
// of a file on disk is a call to the system.
struct CountedFile {
  std::string bytes;
  std::size_t at = 0;
  int seeks = 0;
};

std::FILE* openCounted(CountedFile& counted) {
  cookie_io_functions_t functions{};
  functions.read = [](void* cookie, char* buffer, std::size_t size) -> ssize_t {
    auto& file = *static_cast<CountedFile*>(cookie);
    const std::size_t count = std::min(size, file.bytes.size() - file.at);
    std::memcpy(buffer, file.bytes.data() + file.at, count);
    file.at += count;
    return static_cast<ssize_t>(count);
  };
  functions.seek = [](void* cookie, off64_t* offset, int whence) -> int {
    auto& file = *static_cast<CountedFile*>(cookie);
    ++file.seeks;
    const auto from = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<off64_t>(file.at)
                                                                  : static_cast<off64_t>(file.bytes.size());
    if (from + *offset < 0 || from + *offset > static_cast<off64_t>(file.bytes.size())) return -1;
    file.at = static_cast<std::size_t>(from + *offset);
    *offset = static_cast<off64_t>(file.at);
    return 0;
  };
  return fopencookie(&counted, "rb", functions);
}

// A GIF whose comment before its frame comes in sub-blocks of one byte, 80 MB
// of them in the file that showed it: passed over with a seek each, they
// took longer than the whole reading budget, and the picture was answered as
// holding no text.
TEST(PicturePixelCount, PassesOverAGifsCommentWithoutSeekingForEachOfItsBlocks) {
  std::string gif = test::pictureClaimingSize(PictureFormat::gif, 40, 30);
  const auto flags = static_cast<unsigned char>(gif[10]);
  const std::size_t frame = 13 + ((flags & 0x80) != 0 ? std::size_t{3} << ((flags & 0x07) + 1) : 0);
  std::string comment = "\x21\xfe";
  for (int block = 0; block < 100000; ++block) comment += "\x01" "c";
  comment += '\0';
  CountedFile counted{gif.insert(frame, comment)};
  const std::unique_ptr<std::FILE, FileCloser> file(openCounted(counted));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(decodedPixelCount(file.get()), 40u * 30);
  EXPECT_LT(counted.seeks, 10);
}

TEST(PicturePixelCount, IsNoneWithoutAHeaderThatGivesASize) {
  const test::TemporaryFolder folder;
  const std::string png = test::pictureClaimingSize(PictureFormat::png, 40, 30);
  const struct {
    const char* name;
    std::string bytes;
  } rows[] = {
      {"empty file", ""},
      {"text", "not a picture\n"},
      {"PDF, which Leptonica does not decode", "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n1 0 obj\n<<>>\nendobj\n"},
      {"PNG cut inside its header", png.substr(0, 20)},
      {"PNG of no columns", test::pictureClaimingSize(PictureFormat::png, 0, 30)},
      {"BMP of no rows", test::pictureClaimingSize(PictureFormat::bmp, 40, 0)},
      {"GIF cut inside its screen", test::pictureClaimingSize(PictureFormat::gif, 40, 30).substr(0, 10)},
      {"PNM of no rows", test::pictureClaimingSize(PictureFormat::pnm, 40, 0)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(countOf(folder.writeFile("bytes", row.bytes)), std::nullopt);
  }
}

}  // namespace
}  // namespace mivo::platform
