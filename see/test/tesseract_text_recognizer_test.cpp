#include "platform/linux/text_recognition/tesseract_text_recognizer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "see/test/pictures.h"
#include "see/test/temporary_folder.h"

namespace mivo::platform {
namespace {

using test::PictureFormat;

const std::vector<std::string> kThreeLines = {
    "First line of the note",
    "Second line, with numbers 1234",
    "Third line at the end",
};

// The top candidates of what the recogniser reads in the file at `path`.
std::vector<std::optional<std::string>> readLines(const std::string& path) {
  TesseractTextRecognizer recognizer(MIVO_TESSDATA_DIR);
  const std::unique_ptr<Image> image = recognizer.loadFirstImage(path);
  if (image == nullptr) throw std::runtime_error("not loaded: " + path);
  std::vector<std::optional<std::string>> lines;
  for (const TextObservation& observation : recognizer.recognizeText(*image)) {
    lines.push_back(observation.topCandidate);
  }
  return lines;
}

std::vector<std::optional<std::string>> asLines(const std::vector<std::string>& texts) {
  return {texts.begin(), texts.end()};
}

TEST(TesseractTextRecognizer, ReadsTheExampleScreenshotLineByLine) {
  EXPECT_EQ(readLines(MIVO_EXAMPLE_SCREENSHOT), asLines({
                                                     "Mail",
                                                     "Water bill for March",
                                                     "Amount due: 84.00 EUR by 2025-03-07",
                                                     "Pay at mivo.example/pay or reply to Marvek",
                                                 }));
}

std::size_t threadCount() {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                                std::filesystem::directory_iterator()));
}

TEST(TesseractTextRecognizer, RecognisesOnTheCallingThreadAlone) {
  readLines(MIVO_EXAMPLE_SCREENSHOT);
  // The test starts no threads, and Tesseract's OpenMP threads, once started
  // by any recognition in this process, would stay until it ends.
  EXPECT_EQ(threadCount(), 1u);
}

TEST(TesseractTextRecognizer, ReadsRenderedLinesInOrderFromEachFormat) {
  const test::TemporaryFolder folder;
  const struct {
    const char* name;
    PictureFormat format;
  } rows[] = {
      {"lines.png", PictureFormat::png},
      {"lines.jpg", PictureFormat::jpeg},
      {"lines.tif", PictureFormat::tiff},
      {"lines.gif", PictureFormat::gif},
      {"lines.bmp", PictureFormat::bmp},
      {"lines.pnm", PictureFormat::pnm},
      {"lines.webp", PictureFormat::webp},
      {"lines.jp2", PictureFormat::jp2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    test::writeTextPicture(folder.path(row.name), kThreeLines, row.format);
    EXPECT_EQ(readLines(folder.path(row.name)), asLines(kThreeLines));
  }
}

TEST(TesseractTextRecognizer, ReadsTheSameLinesFromEveryWayOfStoringThem) {
  const test::TemporaryFolder folder;
  using test::PictureVariant;
  const struct {
    const char* name;
    PictureVariant variant;
  } rows[] = {
      {"black and white PNG", PictureVariant::pngBlackAndWhite},
      {"16-bit grey PNG", PictureVariant::pngGrey16},
      {"PNG with a palette", PictureVariant::pngPalette},
      {"interlaced PNG", PictureVariant::pngInterlaced},
      {"grey JPEG", PictureVariant::jpegGrey},
      {"fax TIFF", PictureVariant::tiffFax},
      {"TIFF of JPEG strips", PictureVariant::tiffJpeg},
      {"TIFF with a palette", PictureVariant::tiffPalette},
      {"tiled TIFF", PictureVariant::tiffTiled},
      {"BMP with a palette", PictureVariant::bmpPalette},
      {"black and white BMP", PictureVariant::bmpBlackAndWhite},
      {"ASCII PBM", PictureVariant::pbmAscii},
      {"ASCII PGM with comments", PictureVariant::pgmAscii},
      {"ASCII PPM of 4 bits a sample", PictureVariant::ppmAscii},
      {"binary PBM", PictureVariant::pbmBinary},
      {"16-bit PGM", PictureVariant::pgm16},
      {"16-bit PPM", PictureVariant::ppm16},
      {"PAM with alpha", PictureVariant::pamRgbAlpha},
      {"black and white PAM", PictureVariant::pamBlackAndWhite},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    test::writeTextPictureAs(folder.path("lines"), kThreeLines, row.variant);
    EXPECT_EQ(readLines(folder.path("lines")), asLines(kThreeLines));
  }
}

TEST(TesseractTextRecognizer, FindsNoLinesInABlankPicture) {
  const test::TemporaryFolder folder;
  test::writeTextPicture(folder.path("blank.png"), {});
  EXPECT_EQ(readLines(folder.path("blank.png")), asLines({}));
}

TEST(TesseractTextRecognizer, ReadsOnlyTheFirstImageOfAMultiPageFile) {
  const test::TemporaryFolder folder;
  const struct {
    const char* name;
    std::vector<std::vector<std::string>> pages;
    std::vector<std::string> expected;
  } rows[] = {
      {"text first", {kThreeLines, {}}, kThreeLines},
      {"blank first", {{}, kThreeLines}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string path = folder.path("pages.tif");
    test::writeTiffPages(path, row.pages);
    EXPECT_EQ(readLines(path), asLines(row.expected));
  }
}

TEST(TesseractTextRecognizer, LooksInTheCurrentFolderOnlyForARelativePath) {
  const test::TemporaryFolder folder;
  test::writeTextPicture(folder.path("here.png"), kThreeLines);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  const auto lines = readLines("here.png");
  // A missing file is missing, whatever the current folder holds.
  const bool loadedElsewhere =
      TesseractTextRecognizer(MIVO_TESSDATA_DIR).loadFirstImage("/nonexistent/here.png") != nullptr;
  std::filesystem::current_path(before);
  EXPECT_EQ(lines, asLines(kThreeLines));
  EXPECT_FALSE(loadedElsewhere);
}

TEST(TesseractTextRecognizer, LoadsNothingFromAFileThatIsNotAPicture) {
  const test::TemporaryFolder folder;
  std::ifstream example(MIVO_EXAMPLE_SCREENSHOT, std::ios::binary);
  const std::string png((std::istreambuf_iterator<char>(example)),
                        std::istreambuf_iterator<char>());
  folder.writeFile("note.txt", "not a picture\n");
  folder.writeFile("empty.png", "");
  folder.writeFile("cut.png", png.substr(0, png.size() / 2));
  std::filesystem::create_directory(folder.path("folder.png"));
  // A white picture of 4 x 1 pixels, 8 bits a pixel, run-length encoded: a
  // BMP that Leptonica does not decode (it reads uncompressed ones).
  static constexpr char kRunLengthBmp[] =
      "BM\x44\0\0\0\0\0\0\0\x3e\0\0\0"                            // file header
      "\x28\0\0\0\x04\0\0\0\x01\0\0\0\x01\0\x08\0\x01\0\0\0"  // 4 x 1, 8 bits, RLE8
      "\x06\0\0\0\x13\x0b\0\0\x13\x0b\0\0\x02\0\0\0\x02\0\0\0"
      "\xff\xff\xff\0\0\0\0\0"                                         // white, black
      "\x04\0\0\0\0\x01";  // four pixels of white, end of line, end of picture
  folder.writeFile("rle.bmp", std::string(kRunLengthBmp, sizeof kRunLengthBmp - 1));
  const struct {
    const char* name;
    std::string path;
  } rows[] = {
      {"missing file", folder.path("missing.png")},
      {"text file", folder.path("note.txt")},
      {"empty file", folder.path("empty.png")},
      {"picture cut in half", folder.path("cut.png")},
      {"folder", folder.path("folder.png")},
      {"run-length-encoded BMP", folder.path("rle.bmp")},
      {"tilde, never expanded", "~/x.png"},
      {"empty path", ""},
      {"a picture's path with a NUL and more after it",
       std::string(MIVO_EXAMPLE_SCREENSHOT) + std::string("\0.txt", 5)},
  };
  TesseractTextRecognizer recognizer(MIVO_TESSDATA_DIR);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(recognizer.loadFirstImage(row.path), nullptr);
  }
}

std::string contentsOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(TesseractTextRecognizer, RefusesEveryCutPictureWhateverItsColourModel) {
  const test::TemporaryFolder folder;
  const struct {
    const char* name;
    PictureFormat format;
  } written[] = {
      {"PNG", PictureFormat::png},   {"JPEG", PictureFormat::jpeg}, {"LZW TIFF", PictureFormat::tiff},
      {"GIF", PictureFormat::gif},   {"BMP", PictureFormat::bmp},   {"PNM", PictureFormat::pnm},
      {"WebP", PictureFormat::webp}, {"JPEG 2000", PictureFormat::jp2},
  };
  std::vector<std::pair<std::string, std::string>> wholes;
  for (const auto& row : written) {
    test::writeTextPicture(folder.path("whole"), kThreeLines, row.format);
    wholes.emplace_back(row.name, contentsOf(folder.path("whole")));
  }
  for (const auto& [name, variant] : {std::pair{"16-bit PPM", test::PictureVariant::ppm16},
                                      std::pair{"PAM with alpha", test::PictureVariant::pamRgbAlpha}}) {
    test::writeTextPictureAs(folder.path("whole"), kThreeLines, variant);
    wholes.emplace_back(name, contentsOf(folder.path("whole")));
  }
  wholes.emplace_back("uncompressed RGB TIFF", test::uncompressedTiff({kThreeLines}, true));
  wholes.emplace_back("uncompressed grey TIFF", test::uncompressedTiff({kThreeLines}, false));
  wholes.emplace_back("uncompressed RGB TIFF of two pages", test::uncompressedTiff({kThreeLines, kThreeLines}, true));
  TesseractTextRecognizer recognizer(MIVO_TESSDATA_DIR);
  for (const auto& [name, bytes] : wholes) {
    SCOPED_TRACE(name);
    // The multi-page file is cut inside its first page's pixels.
    const std::size_t length = name.find("two pages") != std::string::npos ? bytes.size() / 2 : bytes.size();
    EXPECT_NE(recognizer.loadFirstImage(folder.writeFile("whole", bytes)), nullptr);
    for (const double share : {0.3, 0.6, 0.9}) {
      SCOPED_TRACE(share);
      const auto cut = static_cast<std::size_t>(static_cast<double>(length) * share);
      EXPECT_EQ(recognizer.loadFirstImage(folder.writeFile("cut", bytes.substr(0, cut))), nullptr);
    }
    if (length == bytes.size()) {
      SCOPED_TRACE("the last byte cut");
      EXPECT_EQ(recognizer.loadFirstImage(folder.writeFile("cut", bytes.substr(0, bytes.size() - 1))), nullptr);
    }
  }
}

enum class Load { loaded, refused, blocked };

struct ChildLoad {
  Load outcome;
  long peakKilobytes;  // the most memory the child held
};

// Loads the picture at `path` in a child process of its own, so that the
// memory the load takes can be read back, and a load still going after a few
// seconds is ended and told.
ChildLoad loadInChild(const std::string& path) {
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork");
  if (child == 0) {
    ::alarm(5);
    TesseractTextRecognizer recognizer(MIVO_TESSDATA_DIR);
    ::_exit(recognizer.loadFirstImage(path) != nullptr ? 0 : 1);
  }
  int status = 0;
  rusage usage{};
  if (::wait4(child, &status, 0, &usage) != child) throw std::runtime_error("wait4");
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) return {Load::blocked, usage.ru_maxrss};
  if (!WIFEXITED(status)) throw std::runtime_error("the child did not exit");
  return {WEXITSTATUS(status) == 0 ? Load::loaded : Load::refused, usage.ru_maxrss};
}

TEST(TesseractTextRecognizer, RefusesAtOnceWhatIsNoRegularFile) {
  const test::TemporaryFolder folder;
  test::writeTextPicture(folder.path("lines.png"), kThreeLines);
  ASSERT_EQ(::mkfifo(folder.path("nobody-writes").c_str(), 0600), 0);
  std::filesystem::create_symlink(folder.path("nobody-writes"), folder.path("fifo.png"));
  std::filesystem::create_symlink(folder.path("lines.png"), folder.path("link.png"));
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = folder.path("socket.png");
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  const struct {
    const char* name;
    std::string path;
    Load expected;
  } rows[] = {
      {"a FIFO nobody writes to", folder.path("nobody-writes"), Load::refused},
      {"a link to it", folder.path("fifo.png"), Load::refused},
      {"a listening socket", socketPath, Load::refused},
      {"a device of endless zeros", "/dev/zero", Load::refused},
      {"an empty device", "/dev/null", Load::refused},
      {"a file of the kernel's", "/proc/self/status", Load::refused},
      {"a link to a picture", folder.path("link.png"), Load::loaded},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(loadInChild(row.path).outcome, row.expected);
  }
  ::close(listener);
}

TEST(TesseractTextRecognizer, RefusesAPictureOfMoreThan2To28PixelsBeforeDecodingIt) {
  const test::TemporaryFolder folder;
  test::writeTextPicture(folder.path("small.png"), kThreeLines);
  const ChildLoad small = loadInChild(folder.path("small.png"));
  ASSERT_EQ(small.outcome, Load::loaded);
  // Headers whose decoding took hundreds of megabytes before it failed for
  // want of data (a PNG of 100000 x 100000 pixels: 415 MB).
  const struct {
    const char* name;
    std::string bytes;
  } rows[] = {
      {"PNG", test::pictureClaimingSize(PictureFormat::png, 100000, 100000)},
      {"JPEG", test::pictureClaimingSize(PictureFormat::jpeg, 16385, 16384)},
      {"TIFF", test::pictureClaimingSize(PictureFormat::tiff, 16385, 16384)},
      {"PNM", test::pictureClaimingSize(PictureFormat::pnm, 16385, 16384)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const ChildLoad load = loadInChild(folder.writeFile("large", row.bytes));
    EXPECT_EQ(load.outcome, Load::refused);
    EXPECT_LT(load.peakKilobytes, small.peakKilobytes + 32 * 1024);
  }
}

TEST(TesseractTextRecognizer, LoadsAnAnimationByItsFirstFrameWhateverTheFramesAfterIt) {
  const test::TemporaryFolder folder;
  test::writeTextPicture(folder.path("small.gif"), kThreeLines, PictureFormat::gif);
  const ChildLoad small = loadInChild(folder.path("small.gif"));
  ASSERT_EQ(small.outcome, Load::loaded);
  // A screen recording's later frames together hold more than the limit.
  const ChildLoad animation =
      loadInChild(folder.writeFile("animation.gif", test::gifWithSecondFrame(16385, 16384)));
  EXPECT_EQ(animation.outcome, Load::loaded);
  EXPECT_LT(animation.peakKilobytes, small.peakKilobytes + 32 * 1024);
}

TEST(TesseractTextRecognizer, LoadsAPictureOf16384By16384PixelsButNoWider) {
  const test::TemporaryFolder folder;
  test::writeBlankPicture(folder.path("largest.png"), 16384, 16384);
  test::writeBlankPicture(folder.path("wider.png"), 16385, 16384);
  TesseractTextRecognizer recognizer(MIVO_TESSDATA_DIR);
  EXPECT_NE(recognizer.loadFirstImage(folder.path("largest.png")), nullptr);
  EXPECT_EQ(recognizer.loadFirstImage(folder.path("wider.png")), nullptr);
}

TEST(TesseractTextRecognizer, DecodesAColourNetpbmIntoLittleMoreThanItsGreyCopy) {
  // Of 4096 x 4096 pixels: 16 MB in grey, 64 MB more in a colour copy.
  const test::TemporaryFolder folder;
  test::writeTextPicture(folder.path("small.png"), kThreeLines);
  const ChildLoad small = loadInChild(folder.path("small.png"));
  ASSERT_EQ(small.outcome, Load::loaded);
  const int side = 4096;
  // Written a row at a time, as the child starts as a copy of this process
  // and would hold the bytes too.
  const std::string path = folder.path("colour.ppm");
  {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << side << " " << side << "\n255\n";
    const std::string row(3 * side, '\x80');
    for (int y = 0; y < side; ++y) out << row;
    ASSERT_TRUE(out.good());
  }
  const ChildLoad load = loadInChild(path);
  EXPECT_EQ(load.outcome, Load::loaded);
  EXPECT_LT(load.peakKilobytes, small.peakKilobytes + (16 + 16) * 1024);
}

TEST(TesseractTextRecognizer, RefusesAJpeg2000OfMoreThan8192By8192PixelsBeforeDecodingIt) {
  // Decoded, it would take some 1 GB.
  const test::TemporaryFolder folder;
  test::writeBlankPicture(folder.path("small.jp2"), 41, 29, PictureFormat::jp2);
  test::writeBlankPicture(folder.path("wider.jp2"), 8193, 8192, PictureFormat::jp2);
  const ChildLoad small = loadInChild(folder.path("small.jp2"));
  ASSERT_EQ(small.outcome, Load::loaded);
  const ChildLoad load = loadInChild(folder.path("wider.jp2"));
  EXPECT_EQ(load.outcome, Load::refused);
  EXPECT_LT(load.peakKilobytes, small.peakKilobytes + 32 * 1024);
}

TEST(TesseractTextRecognizer, RaisesAnErrorWhenItsDataCannotBeLoaded) {
  TesseractTextRecognizer recognizer("/nonexistent/tessdata");
  const std::unique_ptr<Image> image = recognizer.loadFirstImage(MIVO_EXAMPLE_SCREENSHOT);
  ASSERT_NE(image, nullptr);
  try {
    recognizer.recognizeText(*image);
    ADD_FAILURE() << "recognised";
  } catch (const RecognitionError& error) {
    EXPECT_STREQ(error.what(),
                 "the English text-recognition data cannot be loaded from /nonexistent/tessdata");
  }
}

}  // namespace
}  // namespace mivo::platform
