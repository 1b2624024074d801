#include "platform/linux/tesseract_text_recognizer.h"

#include <gtest/gtest.h>

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

TEST(TesseractTextRecognizer, ReadsRenderedLinesInOrderFromEachFormat) {
  const test::TemporaryFolder folder;
  const struct {
    const char* name;
    PictureFormat format;
  } rows[] = {
      {"lines.png", PictureFormat::png},
      {"lines.jpg", PictureFormat::jpeg},
      {"lines.tif", PictureFormat::tiff},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    test::writeTextPicture(folder.path(row.name), kThreeLines, row.format);
    EXPECT_EQ(readLines(folder.path(row.name)), asLines(kThreeLines));
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

TEST(TesseractTextRecognizer, ResolvesARelativePathAgainstTheCurrentFolder) {
  const test::TemporaryFolder folder;
  test::writeTextPicture(folder.path("here.png"), kThreeLines);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  const auto lines = readLines("here.png");
  std::filesystem::current_path(before);
  EXPECT_EQ(lines, asLines(kThreeLines));
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
  const struct {
    const char* name;
    std::string path;
  } rows[] = {
      {"missing file", folder.path("missing.png")},
      {"text file", folder.path("note.txt")},
      {"empty file", folder.path("empty.png")},
      {"picture cut in half", folder.path("cut.png")},
      {"folder", folder.path("folder.png")},
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
