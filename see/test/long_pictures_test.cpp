// Pictures longer or wider than Tesseract reads at once: read in tiles whose
// words are joined once, in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/text_recognition/leptonica_pointers.h"
#include "platform/linux/text_recognition/tesseract_text_recognizer.h"
#include "platform/linux/text_recognition/text_parts.h"
#include "platform/linux/text_recognition/tiled_reading.h"
#include "see/test/pictures.h"
#include "see/test/temporary_folder.h"

namespace mivo::platform {
namespace {

using test::PlacedText;

// Tesseract refuses a picture with a side over this.
constexpr int kTesseractsLongestSide = 32767;

std::vector<std::string> readLayout(const std::vector<PlacedText>& texts, int fontSize, int width,
                                    int height) {
  const test::TemporaryFolder folder;
  test::writeLayout(folder.path("long.png"), width, height, texts, fontSize);
  TesseractTextRecognizer recognizer(MIVO_TESSDATA_DIR);
  const std::unique_ptr<Image> image = recognizer.loadFirstImage(folder.path("long.png"));
  if (image == nullptr) throw std::runtime_error("not loaded");
  std::vector<std::string> lines;
  for (const TextObservation& observation : recognizer.recognizeText(*image)) {
    lines.push_back(observation.topCandidate.value_or("(none)"));
  }
  return lines;
}

// Where the tiles of a picture of `width` x `height` pixels are cut: their
// edges and the ends of their cores, inside the picture, across (`down`
// false) or down.
std::set<int> cutsOf(int width, int height, bool down) {
  std::set<int> cuts;
  for (const Tile& tile : tilesOf(width, height)) {
    const int length = down ? height : width;
    for (const int at : down ? std::vector<int>{tile.y, tile.y + tile.height, tile.coreBottom}
                             : std::vector<int>{tile.x, tile.x + tile.width, tile.coreRight}) {
      if (at > 0 && at < length) cuts.insert(at);
    }
  }
  return cuts;
}

TEST(LongPictures, AScrollingCaptureIsReadWholeOnceAndInOrder) {
  // Text of this size is read at twice its size, which is taller than
  // Tesseract reads from 16384 pixels on; and the picture is larger than
  // 4096 x 4096 pixels, whose reading is bounded, yet all of it is read.
  constexpr int kWidth = 1000;
  constexpr int kHeight = 17000;
  constexpr int kPitch = 200;
  const std::set<int> cuts = cutsOf(kWidth, kHeight, true);
  ASSERT_FALSE(cuts.empty());
  std::vector<int> baselines;
  for (int baseline = kPitch; baseline + 20 < kHeight; baseline += kPitch) baselines.push_back(baseline);
  // The line nearest each cut is moved onto it.
  for (const int at : cuts) {
    *std::min_element(baselines.begin(), baselines.end(),
                      [at](int a, int b) { return std::abs(a - at) < std::abs(b - at); }) = at + 3;
  }
  std::vector<PlacedText> texts;
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < baselines.size(); ++i) {
    const std::string line = "Line " + std::to_string(i + 1) + " of the long page, item " + std::to_string(7 * i);
    texts.push_back({line, 20, baselines[i]});
    expected.push_back(line);
  }
  EXPECT_EQ(readLayout(texts, 4, kWidth, kHeight), expected);
}

TEST(LongPictures, APictureWiderThanTesseractReadsIsReadAcross) {
  // One line of words across the whole picture, and so across every cut.
  constexpr int kWidth = 33000;
  const char* const kWords[] = {"apple", "river", "table", "green", "house", "music", "water", "paper"};
  std::string line;
  for (int i = 0; line.size() < 1400; ++i) line += (i == 0 ? "" : " ") + (kWords[i % 8] + (" " + std::to_string(i)));
  EXPECT_EQ(readLayout({{line, 20, 60}}, 12, kWidth, 100), std::vector<std::string>{line});
}

TEST(LongPictures, NoPartIsEnlargedBeyondWhatTesseractReads) {
  // Lines of small text down a long narrow picture: one part, read at twice
  // its size unless that is too long.
  constexpr int kHeight = 17000;
  std::vector<PlacedText> texts;
  for (int baseline = 30; baseline + 10 < kHeight; baseline += 200) texts.push_back({"small text here", 10, baseline});
  const test::TemporaryFolder folder;
  test::writeLayout(folder.path("narrow.png"), 200, kHeight, texts, 6);
  const PixPointer pix(pixRead(folder.path("narrow.png").c_str()));
  const PixPointer grey(pixConvertTo8(pix.get(), 0));
  const std::vector<TextPart> parts = partsReadApart(grey.get());
  ASSERT_FALSE(parts.empty());
  for (const TextPart& part : parts) {
    // With the white border the recogniser adds around a part.
    EXPECT_LE((part.width + 16) * part.scale, kTesseractsLongestSide);
    EXPECT_LE((part.height + 16) * part.scale, kTesseractsLongestSide);
  }
}

}  // namespace
}  // namespace mivo::platform
