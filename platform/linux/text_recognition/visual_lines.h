#pragma once

#include <functional>
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

// Whether the ground of the picture changes down the columns `left` to
// `right`, along the rows `top` to `bottom`: the edge of a window or a panel
// between two sides of a gutter.
using GroundEdgeDown = std::function<bool(int left, int right, int top, int bottom)>;

// The words put together as a person reads them, one text per line:
// - Words of one visual line that follow each other at word spacing (up to one
//   and a half text heights apart) are a phrase; the phrases of one visual row
//   are one line, left to right, however far apart: a table's row, a receipt's
//   item and price, a row of buttons or tabs, a line number and its code.
// - A row is parted only at a gutter, a gap that runs down several rows, and
//   not where the lines on its two sides stand in line with each other, each
//   line of one side beside one of the other (a table's columns, a listing's
//   fields, a man page's options and their descriptions), unless the ground
//   changes in the gutter (`edgeDown`: two windows, a panel), both sides are
//   running text (two text columns) or one is prose far from the other. Sides
//   out of line part where they stand side by side in most rows (a terminal
//   beside a dialog), or where the side to the right is a text column beyond a
//   gutter four text heights wide or more (a sidebar beside an article).
// - The parts stacked one below the other at most two and a half text heights
//   apart form a block (a column, a window, a panel, a table); a part that
//   spans two parts of the next row (a heading over two columns, a status bar
//   under them) is a block of its own.
// - Blocks are read whole, top to bottom, one after the other: a block once
//   every block above it or to its left is read, the highest of those first.
std::vector<std::string> visualLines(std::vector<BoxedWord> words, const GroundEdgeDown& edgeDown = {});

}  // namespace mivo::platform
