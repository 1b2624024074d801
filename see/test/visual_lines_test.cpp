#include "platform/linux/visual_lines.h"

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
      {"a sidebar far to the left is a column of its own, read first",
       {word("Inbox", 10, 60, 10), word("Dear", 300, 340, 10), word("Ann,", 350, 390, 10),
        word("Sent", 10, 55, 40), word("thanks", 300, 360, 40), word("again.", 370, 430, 40)},
       {"Inbox", "Sent", "Dear Ann,", "thanks again."}},
      {"a gap of just over three heights parts two columns",
       {word("left", 10, 50, 10), word("right", 111, 150, 10)},
       {"left", "right"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(visualLines(row.words), row.lines);
  }
}

}  // namespace
}  // namespace mivo::platform
