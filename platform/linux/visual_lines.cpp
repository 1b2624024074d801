#include "platform/linux/visual_lines.h"

#include <algorithm>
#include <numeric>

namespace mivo::platform {
namespace {

constexpr int kMostGapInHeights = 3;

struct Line {
  std::string text;
  int left;
  int top;
  int right;
  int bottom;
  int lastTop;  // the vertical extent of the line's last word
  int lastBottom;
};

int height(int top, int bottom) { return bottom - top; }

// Whether `word` goes on after the last word of `line`.
bool continues(const Line& line, const BoxedWord& word) {
  const int overlap = std::min(line.lastBottom, word.bottom) - std::max(line.lastTop, word.top);
  const int lower = std::min(height(line.lastTop, line.lastBottom), height(word.top, word.bottom));
  const int higher = std::max(height(line.lastTop, line.lastBottom), height(word.top, word.bottom));
  return 2 * overlap > lower && word.left - line.right <= kMostGapInHeights * higher;
}

std::vector<Line> linesOf(std::vector<BoxedWord> words) {
  std::stable_sort(words.begin(), words.end(),
                   [](const BoxedWord& a, const BoxedWord& b) { return a.left < b.left; });
  std::vector<Line> lines;
  for (BoxedWord& word : words) {
    // Of the lines the word can go on, the one nearest to it.
    Line* best = nullptr;
    for (Line& line : lines) {
      if (continues(line, word) && (best == nullptr || line.right > best->right)) best = &line;
    }
    if (best == nullptr) {
      lines.push_back({std::move(word.text), word.left, word.top, word.right, word.bottom,
                       word.top, word.bottom});
      continue;
    }
    best->text += ' ' + word.text;
    best->right = std::max(best->right, word.right);
    best->top = std::min(best->top, word.top);
    best->bottom = std::max(best->bottom, word.bottom);
    best->lastTop = word.top;
    best->lastBottom = word.bottom;
  }
  return lines;
}

// The column of each line: lines whose horizontal extents overlap share one.
std::vector<std::size_t> columnsOf(const std::vector<Line>& lines) {
  std::vector<std::size_t> column(lines.size());
  std::iota(column.begin(), column.end(), 0);
  const auto root = [&column](std::size_t i) {
    while (column[i] != i) i = column[i] = column[column[i]];
    return i;
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    for (std::size_t j = i + 1; j < lines.size(); ++j) {
      if (lines[i].left < lines[j].right && lines[j].left < lines[i].right) {
        column[root(j)] = root(i);
      }
    }
  }
  for (std::size_t i = 0; i < lines.size(); ++i) column[i] = root(i);
  return column;
}

}  // namespace

std::vector<std::string> visualLines(std::vector<BoxedWord> words) {
  const std::vector<Line> lines = linesOf(std::move(words));
  const std::vector<std::size_t> column = columnsOf(lines);
  // Where each column starts on the left.
  std::vector<int> columnLeft(lines.size(), 0);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (column[i] == i) columnLeft[i] = lines[i].left;
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    columnLeft[column[i]] = std::min(columnLeft[column[i]], lines[i].left);
  }
  std::vector<std::size_t> order(lines.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const int leftA = columnLeft[column[a]];
    const int leftB = columnLeft[column[b]];
    if (leftA != leftB) return leftA < leftB;
    if (column[a] != column[b]) return column[a] < column[b];
    return lines[a].top < lines[b].top;
  });
  std::vector<std::string> texts;
  texts.reserve(order.size());
  for (const std::size_t i : order) texts.push_back(lines[i].text);
  return texts;
}

}  // namespace mivo::platform
