#pragma once

#include <string>
#include <vector>

namespace mivo::platform {

// A recognised word and its box, in pixels, `right` and `bottom` excluded.
struct BoxedWord {
  std::string text;
  int left;
  int top;
  int right;
  int bottom;
};

// The words put together as a person reads them: one text per visual line,
// its words left to right joined by single spaces, and the lines column by
// column, each column's lines top to bottom, the columns left to right.
// Two words are on one line when their boxes overlap vertically by more than
// half the smaller height and the gap between them is at most three times the
// taller height; a wider gap, as between a sidebar and a message, parts two
// columns. Lines whose horizontal extents overlap are in one column.
std::vector<std::string> visualLines(std::vector<BoxedWord> words);

}  // namespace mivo::platform
