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

// Whether two words stand on one visual line at word spacing, one after the
// other: their boxes overlap down by more than half the lower one's height,
// and at most one and a half of the higher one's height lies between them.
bool atWordSpacing(const BoxedWord& a, const BoxedWord& b);

// The words put together as a person reads them, one text per line:
// - Words of one visual line that follow each other at word spacing (up to one
//   and a half text heights apart) are a phrase; the phrases of one visual row
//   are one line, left to right, however far apart: a table's row, a receipt's
//   item and price, a row of buttons or tabs, a line number and its code.
// - A row is parted only at a gutter, a gap that runs down several rows: where
//   both sides are text columns (three lines or more of three words or more
//   each, on average), where the side to the right is one and the gutter is
//   four text heights wide or more (a sidebar beside an article), or where the
//   two sides' lines do not lie side by side (a terminal beside a dialog).
// - The parts stacked one below the other at most two and a half text heights
//   apart form a block (a column, a window, a panel, a table); a part that
//   spans two parts of the next row (a heading over two columns, a status bar
//   under them) is a block of its own.
// - Blocks are read whole, top to bottom, one after the other: a block once
//   every block above it or to its left is read, the highest of those first.
std::vector<std::string> visualLines(std::vector<BoxedWord> words);

}  // namespace mivo::platform
