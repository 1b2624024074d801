// Screen-like pictures read line by line: whole lines, in reading order,
// columns kept apart.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/text_recognition/tesseract_text_recognizer.h"
#include "see/test/pictures.h"
#include "see/test/temporary_folder.h"

namespace mivo::platform {
namespace {

using test::DrawnBox;
using test::PlacedText;

constexpr int kFontSize = 6;
constexpr int kPitch = 31;
// Figures alone in a cell read best in a font larger than the layouts' own:
// in it, at twice its size, the recogniser loses their decimal points.
constexpr int kTableFontSize = 8;

std::vector<std::string> readLayout(const std::vector<PlacedText>& texts,
                                    int fontSize = kFontSize,
                                    const std::vector<DrawnBox>& boxes = {},
                                    int width = 1512, int height = 982) {
  const test::TemporaryFolder folder;
  test::writeLayout(folder.path("screen.png"), width, height, texts, fontSize, boxes);
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

// Ticked check boxes with round corners, filled in a toolkit's blue, before
// their labels: read as "@".
TEST(ScreenLayouts, CheckBoxesWithRoundCornersGiveNoText) {
  const char* labels[] = {"Block third-party cookies", "Ask before sharing my location",
                          "Remember passwords for sites"};
  std::vector<PlacedText> texts;
  std::vector<DrawnBox> boxes;
  for (int i = 0; i < 3; ++i) {
    texts.push_back({labels[i], 70, 80 + 45 * i});
    boxes.push_back({40, 64 + 45 * i, 18, 18, true, 0x2563eb, true});
  }
  EXPECT_EQ(readLayout(texts, kFontSize, boxes),
            (std::vector<std::string>{labels[0], labels[1], labels[2]}));
}

// A sidebar whose items stand between the article's lines, read as one with
// them: the lines of one ran into the letters of the other, and "Orders" came
// out as "Ord rders".
TEST(ScreenLayouts, ASidebarBesideAnArticleOutOfLineWithItIsReadOnceAndWhole) {
  const std::vector<std::string> sidebar = {"Account", "Orders", "Addresses",
                                            "Payment methods", "Invite a friend", "Help"};
  const std::vector<std::string> article = {
      "Orders from the last six months are shown here. Open an order to see its",
      "items, download the invoice or send it back within thirty days. Invoices",
      "are kept for ten years; a friend you invite gets ten euros off the first",
      "order, and you get ten euros too once that order has been delivered.",
      "Addresses and payment methods can be changed at any time in the sidebar.",
      "Help is at hand every day from eight in the morning to eight at night.",
  };
  std::vector<PlacedText> texts;
  for (int i = 0; i < 6; ++i) {
    texts.push_back({sidebar[i], 20, 40 + 48 * i});
    texts.push_back({article[i], 260, 48 + 28 * i});
  }
  std::vector<std::string> expected = sidebar;
  expected.insert(expected.end(), article.begin(), article.end());
  EXPECT_EQ(readLayout(texts, 4), expected);
}

// White titles on the mid-tone bars of window frames, beside a mid-grey
// button whose label is black: the bars were no dark ground, and whitened
// around their white letters they hid them.
TEST(ScreenLayouts, LightTitlesOnMidToneBarsAndDarkLabelsOnMidToneButtonsAreRead) {
  EXPECT_EQ(readLayout(
                {
                    {"Unsaved changes", 200, 57, true},
                    {"Save the draft before closing?", 60, 130},
                    {"Discard", 80, 220},
                    {"Choose a file to send", 820, 57, true},
                },
                kFontSize,
                {
                    {20, 32, 560, 36, true, 0x7a96c2},   // a title bar
                    {60, 195, 140, 40, true, 0x9a9a9a},  // a mid-grey button
                    {640, 32, 560, 36, true, 0x8c8c8c},  // another title bar, grey
                }),
            (std::vector<std::string>{"Unsaved changes Choose a file to send",
                                      "Save the draft before closing?", "Discard"}));
}

// Placeholders in fields, hints under them and a "Last edited" line in light
// greys on white, down to a contrast of 2:1 (#b8b8b8), as a person reads them.
TEST(ScreenLayouts, LightGreyTextDownToAContrastOfTwoToOneIsRead) {
  constexpr std::uint32_t kFieldFrame = 0xcccccc;
  EXPECT_EQ(readLayout(
                {
                    {"Email", 60, 60},
                    {"Ann Berg from Lisbon", 72, 104, false, 0, 0xaa},
                    {"We send a link to confirm it.", 60, 146, false, 4, 0x99},
                    {"Password", 60, 196},
                    {"At least 12 characters", 72, 240, false, 0, 0xb8},
                    {"Last edited 3 March 2025 by the web team", 60, 300, false, 4, 0xb8},
                }
                ,
                kFontSize,
                {{60, 76, 460, 40, false, kFieldFrame}, {60, 212, 460, 40, false, kFieldFrame}}),
            (std::vector<std::string>{"Email", "Ann Berg from Lisbon", "We send a link to confirm it.",
                                      "Password", "At least 12 characters",
                                      "Last edited 3 March 2025 by the web team"}));
}

// Pictures of noise, of rings and of diagonal lines three pixels apart hold
// no text: their specks were read as letters, for junk and minutes.
TEST(ScreenLayouts, NoiseRingsAndLinePatternsGiveNoText) {
  const test::TemporaryFolder folder;
  std::mt19937 random(30);
  const struct {
    const char* name;
    std::function<bool(int, int)> dark;
  } patterns[] = {
      {"noise", [&random](int, int) { return (random() & 1) != 0; }},
      {"rings", [](int x, int y) { return static_cast<int>(std::hypot(x - 512, y - 512)) % 3 == 0; }},
      {"diagonals", [](int x, int y) { return (x + y) % 3 == 0; }},
  };
  TesseractTextRecognizer recognizer(MIVO_TESSDATA_DIR);
  for (const auto& pattern : patterns) {
    SCOPED_TRACE(pattern.name);
    const std::string path = folder.path(std::string(pattern.name) + ".png");
    test::writePattern(path, 1024, 1024, pattern.dark);
    const std::unique_ptr<Image> image = recognizer.loadFirstImage(path);
    ASSERT_NE(image, nullptr);
    EXPECT_THAT(recognizer.recognizeText(*image), testing::IsEmpty());
  }
}

// Links underlined as browsers draw them, the underline touching the letters'
// feet and crossed by their descenders: painted over as a rule, it took the
// first letter's stem ("Introduction" came out as "ntroduction") and cut "p"
// and "g".
TEST(ScreenLayouts, UnderlinedWordsKeepTheLettersThatTouchTheirLine) {
  const std::vector<std::string> links = {"Introduction", "Users and Groups", "Keeping people apart",
                                          "Reference pages"};
  std::vector<PlacedText> texts;
  std::vector<DrawnBox> boxes;
  for (std::size_t i = 0; i < links.size(); ++i) {
    const int baseline = 80 + 40 * static_cast<int>(i);
    texts.push_back({links[i], 60, baseline});
    // A line two pixels high right under the letters, as long as the text.
    boxes.push_back({60, baseline + 1, 14 * static_cast<int>(links[i].size()), 2, true, 0x1a0dab});
  }
  EXPECT_EQ(readLayout(texts, 12, boxes), links);
}

// A list's round bullets, each alone before its item: read as "e", "«" or
// "©" at the start of every item.
TEST(ScreenLayouts, AListsBulletsAreNotReadAsLetters) {
  const std::vector<std::string> items = {"Backups of home folders", "Printers and scanners", "Upgrading to the next release",
                                          "Frequently asked questions"};
  std::vector<PlacedText> texts;
  std::vector<DrawnBox> boxes;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const int baseline = 80 + 40 * static_cast<int>(i);
    texts.push_back({items[i], 80, baseline});
    // A dot as browsers draw it, half a capital high, by the middle of the
    // small letters.
    boxes.push_back({56, baseline - 13, 10, 10, true, 0x202020, true});
  }
  EXPECT_EQ(readLayout(texts, 12, boxes), items);
}

// Fields and buttons framed in light grey, lower than a rule is long: once
// their long tops and bottoms were painted over, their short sides were left
// and read as bars.
TEST(ScreenLayouts, TheSidesOfLightlyFramedFieldsAndButtonsGiveNoText) {
  constexpr std::uint32_t kLightGrey = 0xb0b0b0;
  EXPECT_EQ(readLayout(
                {
                    {"Default search engine", 40, 62},
                    {"DuckDuckGo", 308, 62},
                    {"Download folder", 40, 112},
                    {"/home/ann/Downloads", 308, 112},
                    {"Keep history for", 40, 162},
                    {"90 days", 308, 162},
                    {"Reset", 50, 242},
                    {"Cancel", 710, 242},
                },
                kFontSize,
                {
                    {300, 40, 320, 32, false, kLightGrey},
                    {300, 90, 320, 32, false, kLightGrey},
                    {300, 140, 320, 32, false, kLightGrey},
                    {40, 220, 90, 32, false, kLightGrey},
                    {700, 220, 100, 32, false, kLightGrey},
                }),
            (std::vector<std::string>{"Default search engine DuckDuckGo",
                                      "Download folder /home/ann/Downloads",
                                      "Keep history for 90 days", "Reset Cancel"}));
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

// A grid table: each cell framed, the cells of a row far apart.
TEST(ScreenLayouts, ATablesRowsAreReadAcrossTheirCells) {
  const std::vector<std::vector<std::string>> rows = {
      {"Order", "Customer", "Date", "Total"},
      {"#10421", "Ana Silva", "2025-02-03", "84.20 EUR"},
      {"#10422", "Tom Becker", "2025-02-03", "12.99 EUR"},
      {"#10423", "Mei Tanaka", "2025-02-04", "231.50 EUR"},
      {"#10424", "Jonas Berg", "2025-02-05", "45.00 EUR"},
  };
  const int columns[] = {60, 260, 500, 740};
  std::vector<PlacedText> texts;
  std::vector<DrawnBox> boxes;
  std::vector<std::string> expected;
  for (int r = 0; r < 5; ++r) {
    std::string line;
    for (int c = 0; c < 4; ++c) {
      texts.push_back({rows[r][c], columns[c] + 14, 130 + 44 * r});
      boxes.push_back({columns[c], 100 + 44 * r, c < 3 ? columns[c + 1] - columns[c] : 200, 44,
                       false, 0x9aa3ad});
      line += (c > 0 ? " " : "") + rows[r][c];
    }
    expected.push_back(line);
  }
  EXPECT_EQ(readLayout(texts, kTableFontSize, boxes), expected);
}

TEST(ScreenLayouts, AReceiptsPricesStayOnTheirItemsLines) {
  const char* items[][3] = {{"Oat milk", "2", "2.49"}, {"Rye bread", "1", "3.20"},
                            {"Coffee beans", "1", "8.95"}, {"Bananas", "6", "1.95"},
                            {"Cheddar", "1", "3.49"}};
  std::vector<PlacedText> texts = {{"GREEN BASKET MARKET", 600, 80}};
  std::vector<std::string> expected = {"GREEN BASKET MARKET"};
  for (int i = 0; i < 5; ++i) {
    texts.push_back({items[i][0], 520, 140 + kPitch * i});
    texts.push_back({items[i][1], 820, 140 + kPitch * i});
    texts.push_back({items[i][2], 930, 140 + kPitch * i});
    expected.push_back(std::string(items[i][0]) + " " + items[i][1] + " " + items[i][2]);
  }
  texts.push_back({"TOTAL", 520, 140 + kPitch * 6});
  texts.push_back({"19.87", 930, 140 + kPitch * 6});
  expected.push_back("TOTAL 19.87");
  EXPECT_EQ(readLayout(texts, kTableFontSize), expected);
}

std::vector<std::string> readPicture(const std::string& path) {
  TesseractTextRecognizer recognizer(MIVO_TESSDATA_DIR);
  const std::unique_ptr<Image> image = recognizer.loadFirstImage(path);
  if (image == nullptr) throw std::runtime_error("not loaded: " + path);
  std::vector<std::string> lines;
  for (const TextObservation& observation : recognizer.recognizeText(*image)) {
    lines.push_back(observation.topCandidate.value_or("(none)"));
  }
  return lines;
}

// Screens of real programs, captured under Xvfb for the OCR benchmark: an
// invoice page in Chromium whose descriptions stand far from three columns of
// figures, and listings in xterm whose fields are far apart. Read as text
// columns, every row's left part came first and all right parts after the
// last row.
TEST(ScreenLayouts, TablesAndListingsOfRealProgramsAreReadRowByRowAcross) {
  const struct {
    const char* picture;
    std::vector<std::string> rows;
  } screens[] = {
      {"web-invoice-table",
       {"Hosting, March 1 24.00 24.00", "Support hours 6 45.00 270.00",
        "Migration of the mail server 1 180.00 180.00", "Total due by 31 March 2025 545.30"}},
      {"term-ls-l-etc",
       {"drwxr-xr-x 9 root root 4096 Dec 11 07:09 X11",
        "-rw-r--r-- 1 root root 3040 May 25 2023 adduser.conf"}},
      {"term-services",
       {"ssh 22/tcp # SSH Remote Login Protocol", "domain 53/tcp # Domain Name Server"}},
  };
  for (const auto& screen : screens) {
    SCOPED_TRACE(screen.picture);
    EXPECT_THAT(readPicture(std::string(MIVO_BENCH_PICTURES) + "/" + screen.picture + ".png"),
                testing::IsSupersetOf(screen.rows));
  }
}

// A listing whose modes hold a few small letters and a run of dashes: the
// dashes beyond a word space from the letters were left out of their cell,
// and the cell, lower than its row, was read alone at a larger scale, as
// "Crw--" or not at all.
TEST(ScreenLayouts, AListingsModesKeepTheirDashesAndTheirCase) {
  EXPECT_THAT(readPicture(std::string(MIVO_BENCH_PICTURES) + "/term-ls-colour-dev.png"),
              testing::IsSupersetOf({"crw------- 1 root root 10, 234 Dec 11 07:08 btrfs-control",
                                     "crw------- 1 root root 5, 1 Dec 11 07:08 console",
                                     "drwxr-xr-x 10 root root 200 Dec 11 07:08 cpu",
                                     "crw-rw-rw- 1 root root 1, 3 Dec 11 07:08 null"}));
}

// A note's list in xedit, each item after a dash: the dash before "oat",
// whose letters are lower than their line, stood further than a word space
// from them and was left out of the line.
TEST(ScreenLayouts, TheDashesOfAListStayBeforeWordsOfSmallLetters) {
  EXPECT_THAT(readPicture(std::string(MIVO_BENCH_PICTURES) + "/x-xedit-openbox.png"),
              testing::IsSupersetOf({"- two loaves of rye bread", "- oat milk and coffee beans",
                                     "- batteries for the kitchen clock"}));
}

// Two terminals side by side on a dark desktop, their lines in line as a
// table's are: the desktop between them parts them.
TEST(ScreenLayouts, TwoWindowsSideBySideWithLinesInLineAreReadOneAfterTheOther) {
  const std::vector<std::string> left = {"total 760", "apt 4096 Dec 11", "X11 4096 May 9",
                                         "hosts 221 Jun 24"};
  const std::vector<std::string> right = {"NAME=Debian", "VERSION_ID=12", "ARCH=amd64",
                                          "HOME_URL=debian.org"};
  std::vector<PlacedText> texts;
  for (std::size_t i = 0; i < left.size(); ++i) {
    texts.push_back({left[i], 40, 80 + kPitch * static_cast<int>(i)});
    texts.push_back({right[i], 560, 80 + kPitch * static_cast<int>(i)});
  }
  std::vector<std::string> expected = left;
  expected.insert(expected.end(), right.begin(), right.end());
  EXPECT_EQ(readLayout(texts, kFontSize,
                       {{0, 0, 1512, 982, true},  // the desktop
                        {20, 40, 440, 200, true, 0xffffff},
                        {540, 40, 440, 200, true, 0xffffff}}),
            expected);
}

TEST(ScreenLayouts, TwoTextColumnsUnderAHeadingAreReadOneAfterTheOther) {
  const std::vector<std::string> left = {
      "The city council voted on Tuesday to close", "the old harbour road to cars on weekends",
      "from the first of May, after years of calls", "from the cyclists and the market traders."};
  const std::vector<std::string> right = {
      "Traders at the fish market welcomed the vote.", "On a busy Saturday the road carries more",
      "than six thousand cars, and the stalls have", "had to close early because of the fumes."};
  const std::string heading =
      "Harbour road to close to cars on weekends from May, the city council decides";
  std::vector<PlacedText> texts = {{heading, 100, 60}};
  std::vector<std::string> expected = {heading};
  for (std::size_t i = 0; i < left.size(); ++i) {
    texts.push_back({left[i], 100, 130 + kPitch * static_cast<int>(i)});
    texts.push_back({right[i], 780, 130 + kPitch * static_cast<int>(i)});
  }
  expected.insert(expected.end(), left.begin(), left.end());
  expected.insert(expected.end(), right.begin(), right.end());
  EXPECT_EQ(readLayout(texts, kFontSize, {}, 1512, 400), expected);
}

// Buttons whose labels stand a pixel or two higher or lower, and code lines
// with their numbers in a gutter.
TEST(ScreenLayouts, TheItemsOfARowComeInTheirOrder) {
  EXPECT_EQ(readLayout({
                {"Reset", 100, 100},
                {"Save changes", 700, 99},
                {"Delivered", 900, 101},
                {"Archive", 1100, 98},
                {"17", 100, 200},
                {"if total > limit:", 200, 200},
                {"18", 100, 200 + kPitch},
                {"return total - discount", 260, 200 + kPitch},
            }),
            (std::vector<std::string>{"Reset Save changes Delivered Archive",
                                      "17 if total > limit:", "18 return total - discount"}));
}

// A dialog's line in small letters beside a mail in large ones, between two
// of its lines: read with them, it was cut to their size and lost.
TEST(ScreenLayouts, SmallTextBesideLargerTextIsReadAtItsOwnScale) {
  const std::vector<std::string> mail = {
      "From: Lena Okafor <lena@example.org>",
      "Subject: Keys for the flat on Saturday",
      "Date: Fri, 28 Feb 2025 18:04",
      "Hi Marvek,",
      "I will leave the keys with Mrs Duval on the ground floor.",
      "The heating is on a timer, please do not switch it off.",
  };
  const std::string dialog = "Backup finished: 1,204 files copied to /media/backup/2025-03-01";
  std::vector<PlacedText> texts;
  for (std::size_t i = 0; i < mail.size(); ++i) {
    texts.push_back({mail[i], 40, 80 + 60 * static_cast<int>(i)});
  }
  texts.push_back({dialog, 1000, 230, false, 4});
  std::vector<std::string> expected = mail;
  expected[3] += " " + dialog;  // on the row of "Hi Marvek,"
  EXPECT_EQ(readLayout(texts, 12, {}, 2560, 1440), expected);
}

// A bold "i" whose stem, a filled upright rectangle, is as straight as a
// terminal's block cursor: whitened as one, it left "Heat'ng", too unsure a
// word to keep.
TEST(ScreenLayouts, TheStemOfABoldIUnderItsDotIsNoCursor) {
  EXPECT_EQ(readLayout({{"Heat", 20, 50, false, 10}, {"ng", 120, 50, false, 10}}, kFontSize,
                       {{111, 33, 6, 18, true, 0x202020}, {111, 26, 6, 5, true, 0x202020}}, 400, 100),
            (std::vector<std::string>{"Heating"}));
}

// Light text on bars as terminals and window managers draw them: a title bar
// of a mid-tone joined to its window's frame; a pager's status line, black,
// touched by the "j" of the line above, its descenders down to its foot; a
// search match highlighted in a bar of 14 pixels. Each bar was one shape
// with what touched it, too thin to be a ground, and its text was lost.
TEST(ScreenLayouts, LightTextOnBarsTouchedByAFrameOrTheLineAboveIsRead) {
  EXPECT_EQ(readLayout(
                {
                    {"todo.txt - notes for Saturday", 260, 62, true},
                    {"Shopping list for Saturday", 60, 94},
                    {"Object form, made available under the Licence", 60, 124},
                    {"Manual page tar line 127, press h for help or q to quit", 60, 144, true},
                    {"Append archive to the end of another archive", 60, 200, true, 4},
                },
                kFontSize,
                {
                    {40, 40, 700, 300, false},            // the window's frame
                    {41, 41, 698, 26, true, 0x6f96c8},    // its title bar
                    {50, 128, 640, 20, true, 0x000000},   // the status line
                    {54, 188, 380, 14, true, 0x000000},   // the match
                },
                800, 400),
            (std::vector<std::string>{"todo.txt - notes for Saturday", "Shopping list for Saturday",
                                      "Object form, made available under the Licence",
                                      "Manual page tar line 127, press h for help or q to quit",
                                      "Append archive to the end of another archive"}));
}

// A short title in the middle of a wide window's title bar: its few light
// pixels, weighed against the whole bar, were too few to be letters, and the
// bar was left mid-tone, its title whitened away.
TEST(ScreenLayouts, AShortTitleOnAWideBarIsRead) {
  EXPECT_EQ(readLayout(
                {
                    {"mail", 560, 58, true},
                    {"Keys for the flat on Saturday", 60, 110},
                    {"Will you be home before noon?", 60, 150},
                },
                kFontSize,
                {
                    {40, 40, 1100, 300, false},           // the window's frame
                    {41, 41, 1098, 24, true, 0x7a96c2},   // its title bar
                },
                1200, 400),
            (std::vector<std::string>{"mail", "Keys for the flat on Saturday",
                                      "Will you be home before noon?"}));
}

// A terminal's light grey text on its dark blue-green ground, the black
// desktop beside it, captured from Xvfb: levelled, the terminal's ground came
// out grey beside the white desktop, and the one threshold that the
// recogniser takes for the whole picture turned it black, text and all.
TEST(ScreenLayouts, ADarkTerminalBesideABlackDesktopIsRead) {
  const std::vector<std::string> lines = readPicture(MIVO_DARK_TERMINAL_SCREENSHOT);
  EXPECT_THAT(lines, testing::IsSupersetOf({"$ git status", "On branch main",
                                            "Changes not staged for commit:", "$ make test",
                                            "ran 48 tests, 47 passed, 1 failed"}));
}

}  // namespace
}  // namespace mivo::platform
