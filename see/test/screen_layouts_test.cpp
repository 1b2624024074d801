// Screen-like pictures read line by line: whole lines, in reading order,
// columns kept apart.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/linux/tesseract_text_recognizer.h"
#include "see/test/pictures.h"
#include "see/test/temporary_folder.h"

namespace mivo::platform {
namespace {

using test::DrawnBox;
using test::PlacedText;

constexpr int kFontSize = 6;
constexpr int kPitch = 31;

std::vector<std::string> readLayout(const std::vector<PlacedText>& texts,
                                    int fontSize = kFontSize,
                                    const std::vector<DrawnBox>& boxes = {}) {
  const test::TemporaryFolder folder;
  test::writeLayout(folder.path("screen.png"), 1512, 982, texts, fontSize, boxes);
  TesseractTextRecognizer recognizer(MIVO_TESSDATA_DIR);
  const std::unique_ptr<Image> image = recognizer.loadFirstImage(folder.path("screen.png"));
  if (image == nullptr) throw std::runtime_error("not loaded");
  std::vector<std::string> lines;
  for (const TextObservation& observation : recognizer.recognizeText(*image)) {
    lines.push_back(observation.topCandidate.value_or("(none)"));
  }
  return lines;
}

std::string invoiceLine(int n) {
  return "Line " + std::to_string(n) + ": The quick brown fox jumps over the lazy dog, invoice 2026-12-" +
         (n < 10 ? "0" : "") + std::to_string(n) + " total " + std::to_string(60 + n) + ".50 EUR";
}

TEST(ScreenLayouts, ThirtyAlignedLinesComeBackWholeAndInOrder) {
  std::vector<PlacedText> texts;
  std::vector<std::string> expected;
  for (int n = 1; n <= 30; ++n) {
    texts.push_back({invoiceLine(n), 20, 10 + kPitch * n});
    expected.push_back(invoiceLine(n));
  }
  EXPECT_EQ(readLayout(texts), expected);
}

// Lines 16 pixels high, whose decimal points Tesseract loses at that size.
TEST(ScreenLayouts, SmallTextIsReadAsWellAsLarger) {
  std::vector<PlacedText> texts;
  std::vector<std::string> expected;
  for (int n = 1; n <= 30; ++n) {
    texts.push_back({invoiceLine(n), 20, 10 + 20 * n});
    expected.push_back(invoiceLine(n));
  }
  EXPECT_EQ(readLayout(texts, 4), expected);
}

TEST(ScreenLayouts, ASidebarFarToTheLeftIsReadBeforeTheMessage) {
  EXPECT_EQ(readLayout({
                {"Inbox", 20, 60},
                {"Dear Ann, the water bill for March is due on Friday.", 500, 60},
                {"Sent", 20, 60 + kPitch},
                {"Please pay it at the post office before noon.", 500, 60 + kPitch},
                {"Archive", 20, 60 + 2 * kPitch},
                {"Thanks, Marvek", 500, 60 + 2 * kPitch},
            }),
            (std::vector<std::string>{"Inbox", "Sent", "Archive",
                                      "Dear Ann, the water bill for March is due on Friday.",
                                      "Please pay it at the post office before noon.",
                                      "Thanks, Marvek"}));
}

TEST(ScreenLayouts, ADialogReadsTitleTextAndButtons) {
  EXPECT_EQ(readLayout({
                {"Save changes?", 540, 300},
                {"Save changes to the document before closing?", 440, 300 + 2 * kPitch},
                {"Your changes will be lost if you do not save them.", 440, 300 + 3 * kPitch},
                {"Cancel", 700, 300 + 5 * kPitch},
                {"Save", 800, 300 + 5 * kPitch},
            }),
            (std::vector<std::string>{"Save changes?",
                                      "Save changes to the document before closing?",
                                      "Your changes will be lost if you do not save them.",
                                      "Cancel Save"}));
}

TEST(ScreenLayouts, LightLabelsOnADarkSidebarAreReadAsTheDarkTextBesideThem) {
  EXPECT_EQ(readLayout(
                {
                    {"Inbox", 20, 60, true},
                    {"Dear Ann, the water bill for March is due on Friday.", 500, 60},
                    {"Sent", 20, 60 + kPitch, true},
                    {"Please pay it at the post office before noon.", 500, 60 + kPitch},
                    {"Archive", 20, 60 + 2 * kPitch, true},
                    {"Thanks, Marvek", 500, 60 + 2 * kPitch},
                },
                kFontSize, {{0, 0, 300, 982, true}}),
            (std::vector<std::string>{"Inbox", "Sent", "Archive",
                                      "Dear Ann, the water bill for March is due on Friday.",
                                      "Please pay it at the post office before noon.",
                                      "Thanks, Marvek"}));
}

// A dialog drawn as toolkits draw one: the question in a framed field, an
// empty check box before its label, a framed button and a dark one, the
// dialog on a dark desktop.
TEST(ScreenLayouts, FramesBoxesAndDarkButtonsLeaveOnlyTheirText) {
  const int top = 300;
  EXPECT_EQ(readLayout(
                {
                    {"Save changes to the document before closing?", 450, top + 40},
                    {"Remember my choice", 480, top + 40 + 2 * kPitch},
                    {"Cancel", 720, top + 40 + 4 * kPitch},
                    {"Save", 840, top + 40 + 4 * kPitch, true},
                },
                kFontSize,
                {
                    {0, 0, 1512, top - 20, true},  // the desktop around the dialog
                    {0, top + 200, 1512, 982 - top - 200, true},
                    {0, top - 20, 420, 220, true},
                    {980, top - 20, 532, 220, true},
                    {440, top + 10, 520, 44, false},               // the question's field
                    {450, top + 20 + 2 * kPitch, 20, 20, false},   // the check box
                    {705, top + 10 + 4 * kPitch, 100, 44, false},  // Cancel
                    {825, top + 10 + 4 * kPitch, 90, 44, true},    // Save
                }),
            (std::vector<std::string>{"Save changes to the document before closing?",
                                      "Remember my choice", "Cancel Save"}));
}

TEST(ScreenLayouts, FileSizesAtATabStopStayOnTheirNamesLines) {
  const char* names[] = {"report-2026.pdf", "notes-march.txt", "photo-0412.jpg", "budget-q1.xlsx"};
  const char* sizes[] = {"1.2 MB", "14 KB", "3.4 MB", "88 KB"};
  std::vector<PlacedText> texts;
  for (int i = 0; i < 4; ++i) {
    texts.push_back({names[i], 20, 60 + kPitch * i});
    texts.push_back({sizes[i], 210, 60 + kPitch * i});
  }
  // The one character error allowed: in Leptonica's bitmap font "1." after a
  // "q" reads as "l".
  EXPECT_THAT(readLayout(texts),
              testing::ElementsAre("report-2026.pdf 1.2 MB", "notes-march.txt 14 KB",
                                   "photo-0412.jpg 3.4 MB",
                                   testing::AnyOf("budget-q1.xlsx 88 KB", "budget-qlxlsx 88 KB")));
}

}  // namespace
}  // namespace mivo::platform
