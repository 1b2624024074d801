#include "platform/linux/text_recognition/visual_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mivo::platform {
namespace {

// A word 20 pixels high whose top is at `top`.
BoxedWord word(const char* text, int left, int right, int top) {
  return {text, left, top, right, top + 20};
}

TEST(VisualLines, PutsWordsTogetherAsAPersonReadsThem) {
  const struct {
    const char* name;
    std::vector<BoxedWord> words;
    std::vector<std::string> lines;
  } rows[] = {
      {"no words", {}, {}},
      {"words of one line, given in any order",
       {word("line", 60, 100, 10), word("One", 10, 50, 12), word("whole", 110, 160, 8)},
       {"One line whole"}},
      {"a size at a tab stop three heights away stays on its line",
       {word("notes.txt", 10, 100, 10), word("12 KB", 160, 210, 10)},
       {"notes.txt 12 KB"}},
      {"lines overlapping by half their height or less are two lines, top first",
       {word("lower", 10, 60, 20), word("upper", 10, 60, 0), word("below", 70, 120, 29)},
       {"upper", "lower below"}},
      {"the cells of a table's row are one line, however far apart",
       {word("Oat", 10, 40, 10), word("milk", 46, 80, 10), word("2", 300, 310, 10),
        word("2.49", 400, 440, 10), word("Rye", 10, 40, 40), word("bread", 46, 90, 40),
        word("1", 300, 310, 40), word("3.20", 400, 440, 40)},
       {"Oat milk 2 2.49", "Rye bread 1 3.20"}},
      {"a sidebar far to the left of prose in line with it is read before it",
       {word("Inbox", 10, 60, 10), word("Dear", 300, 340, 10), word("Ann,", 350, 390, 10),
        word("the", 400, 430, 10), word("bill", 440, 470, 10), word("is", 480, 495, 10),
        word("Sent", 10, 55, 40), word("due", 300, 330, 40), word("on", 340, 355, 40),
        word("Friday", 365, 420, 40), word("before", 430, 480, 40), word("noon.", 490, 530, 40),
        word("Spam", 10, 60, 70), word("Thanks,", 300, 360, 70), word("see", 370, 395, 70),
        word("you", 405, 430, 70), word("on", 440, 455, 70), word("Monday", 465, 520, 70)},
       {"Inbox", "Sent", "Spam", "Dear Ann, the bill is", "due on Friday before noon.",
        "Thanks, see you on Monday"}},
      {"a listing's fields in line with each other are read across a wide gutter",
       {word("drwxr-xr-x", 10, 110, 10), word("2", 120, 130, 10), word("root", 140, 180, 10),
        word("4096", 400, 440, 10), word("Dec", 450, 480, 10), word("11", 490, 510, 10),
        word("apt", 520, 550, 10),
        word("-rw-r--r--", 10, 110, 40), word("1", 120, 130, 40), word("root", 140, 180, 40),
        word("3040", 400, 440, 40), word("May", 450, 480, 40), word("25", 490, 510, 40),
        word("adduser.conf", 520, 620, 40),
        word("drwxr-xr-x", 10, 110, 70), word("9", 120, 130, 70), word("root", 140, 180, 70),
        word("4096", 400, 440, 70), word("Dec", 450, 480, 70), word("11", 490, 510, 70),
        word("X11", 520, 550, 70)},
       {"drwxr-xr-x 2 root 4096 Dec 11 apt", "-rw-r--r-- 1 root 3040 May 25 adduser.conf",
        "drwxr-xr-x 9 root 4096 Dec 11 X11"}},
      {"an option beside the first line of its description is read with it",
       {word("-c", 10, 30, 10), word("with", 130, 170, 10), word("-lt:", 180, 210, 10),
        word("sort", 220, 260, 10), word("by", 270, 290, 10), word("ctime,", 300, 360, 10),
        word("formation;", 130, 220, 40), word("otherwise", 230, 310, 40), word("by", 320, 340, 40),
        word("name", 350, 390, 40), word("first", 400, 440, 40),
        word("-C", 10, 30, 70), word("list", 130, 160, 70), word("entries", 170, 230, 70),
        word("by", 240, 260, 70), word("columns", 270, 340, 70)},
       {"-c with -lt: sort by ctime,", "formation; otherwise by name first",
        "-C list entries by columns"}},
      {"a sidebar longer than the text column beside it, an item of it reaching close to the "
       "column below its end, is read whole before it",
       {word("Account", 10, 80, 0), word("Orders", 10, 70, 40), word("Addresses", 10, 100, 80),
        word("Payment", 10, 110, 120), word("methods", 120, 270, 120), word("Invite", 10, 60, 160),
        word("a", 70, 80, 160), word("friend", 90, 150, 160), word("Help", 10, 50, 200),
        word("Orders", 300, 360, 0), word("from", 370, 420, 0), word("the", 430, 470, 0),
        word("last", 480, 520, 0), word("items,", 300, 360, 30), word("download", 370, 470, 30),
        word("the", 480, 510, 30), word("are", 300, 340, 60), word("kept", 350, 400, 60),
        word("for", 410, 440, 60), word("order,", 300, 360, 90), word("and", 370, 400, 90),
        word("you", 410, 440, 90)},
       {"Account", "Orders", "Addresses", "Payment methods", "Invite a friend", "Help",
        "Orders from the last", "items, download the", "are kept for", "order, and you"}},
      {"a sidebar whose first items stand on rows of their own, between the lines of the "
       "text column beside it, is read before it",
       {word("Account", 10, 80, 0), word("Orders", 10, 70, 60), word("Addresses", 10, 100, 120),
        word("Orders", 300, 360, 14), word("from", 370, 420, 14), word("the", 430, 470, 14),
        word("items,", 300, 360, 48), word("download", 370, 470, 48), word("the", 480, 510, 48),
        word("are", 300, 340, 82), word("kept", 350, 400, 82), word("for", 410, 440, 82),
        word("order,", 300, 360, 116), word("and", 370, 400, 116), word("you", 410, 440, 116)},
       {"Account", "Orders", "Addresses", "Orders from the", "items, download the", "are kept for",
        "order, and you"}},
      {"two text columns under a heading that spans them: the heading, then each column",
       {word("Harbour", 10, 100, 0), word("road", 110, 160, 0), word("closes", 170, 250, 0),
        word("to", 260, 280, 0), word("cars", 290, 340, 0),
        word("The", 10, 40, 30), word("council", 46, 110, 30), word("voted", 116, 160, 30),
        word("Traders", 200, 260, 30), word("welcomed", 266, 330, 30), word("it", 336, 350, 30),
        word("on", 10, 30, 55), word("Tuesday", 36, 100, 55), word("to", 106, 120, 55),
        word("at", 200, 215, 55), word("the", 221, 245, 55), word("market", 251, 300, 55),
        word("close", 10, 50, 80), word("the", 56, 80, 80), word("road", 86, 120, 80),
        word("on", 200, 220, 80), word("Saturday", 226, 290, 80), word("morning", 296, 350, 80)},
       {"Harbour road closes to cars", "The council voted", "on Tuesday to", "close the road",
        "Traders welcomed it", "at the market", "on Saturday morning"}},
      {"items of a row in their order, whatever their heights, a line number first",
       {word("Archive", 300, 360, 11), word("Delivered", 150, 230, 9), word("Save", 10, 50, 10),
        word("changes", 56, 120, 12), word("12", 10, 24, 52), word("return", 60, 110, 50),
        word("due;", 116, 150, 49)},
       {"Save changes Delivered Archive", "12 return due;"}},
      {"lines side by side that are not in line are two windows, left first",
       {word("mail", 10, 40, 0), word("from", 46, 80, 0), word("Ann", 86, 110, 0),
        word("Save", 300, 340, 8), word("the", 346, 370, 8), word("draft?", 376, 420, 8),
        word("keys", 10, 40, 25), word("are", 46, 70, 25), word("here", 76, 110, 25),
        word("Cancel", 300, 350, 34), word("OK", 360, 380, 34),
        word("see", 10, 30, 50), word("you", 36, 60, 50), word("soon", 66, 100, 50)},
       {"mail from Ann", "keys are here", "see you soon", "Save the draft?", "Cancel OK"}},
      {"chat bubbles left and right are read down the rows",
       {word("Coming", 10, 60, 0), word("Saturday?", 66, 130, 0), word("Yes,", 300, 330, 30),
        word("at", 336, 350, 30), word("noon", 356, 400, 30), word("Great", 10, 50, 60)},
       {"Coming Saturday?", "Yes, at noon", "Great"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(visualLines(row.words), row.lines);
  }
}

// Two terminals side by side in one font: their lines stand in line as a
// table's do, and only the desktop's ground between them tells them apart.
TEST(VisualLines, LinesInLineAreTwoWindowsWhereTheGroundChangesBetweenThem) {
  const std::vector<BoxedWord> words = {
      word("total", 10, 60, 10),   word("760", 70, 100, 10),     word("NAME=Debian", 400, 510, 10),
      word("apt", 10, 40, 40),     word("Dec", 50, 80, 40),      word("VERSION=12", 400, 500, 40),
      word("X11", 10, 40, 70),     word("May", 50, 80, 70),      word("ID=debian", 400, 490, 70),
  };
  // The desktop shows from 200 to 380.
  const auto edgeDown = [](int left, int right, int, int) { return left < 380 && right > 200; };
  EXPECT_EQ(visualLines(words, edgeDown),
            (std::vector<std::string>{"total 760", "apt Dec", "X11 May", "NAME=Debian", "VERSION=12",
                                      "ID=debian"}));
  EXPECT_EQ(visualLines(words),
            (std::vector<std::string>{"total 760 NAME=Debian", "apt Dec VERSION=12", "X11 May ID=debian"}));
}

}  // namespace
}  // namespace mivo::platform
