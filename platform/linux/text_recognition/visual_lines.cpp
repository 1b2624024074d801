#include "platform/linux/text_recognition/visual_lines.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>

namespace mivo::platform {
namespace {

// Distances in text heights, as halves so that the sums stay in integers.
// Words this close follow each other in a phrase: a word space, a terminal's
// double space.
constexpr int kHalfHeightsOfAPhraseGap = 3;
// Rows this close share their gutters and blocks: a blank line between two
// paragraphs is no more.
constexpr int kHalfHeightsBetweenRows = 5;
// A text column: this many lines or more, of this many words on average.
constexpr int kLinesOfAColumn = 3;
constexpr int kWordsOfAColumnLine = 3;
// Text columns are this many text heights apart at least; words further
// apart than a word space but closer are one line's.
constexpr int kHeightsOfAColumnGutter = 2;
// A gutter this wide, in text heights, parts a list from a text column to its
// right (a sidebar); a narrower one is a line-number gutter or a table's.
constexpr int kHeightsOfASidebarGutter = 4;
// Lines of text this far, in text heights, from what stands beside them are
// in another window.
constexpr int kHeightsBetweenWindows = 20;
// Running text: this share of its characters letters, in percent, where a
// listing's fields hold digits, dashes and slashes. Prose: this many words a
// line on average.
constexpr int kPercentLettersOfText = 85;
constexpr int kWordsOfAProseLine = 5;
// Prose stands this many text heights at least from a list beside it that is
// not a table's column, however in line with it.
constexpr int kHeightsFromProse = 10;

struct Box {
  int left;
  int top;
  int right;
  int bottom;

  int height() const { return bottom - top; }
};

bool oneAboveTheOther(const Box& a, const Box& b) { return a.left < b.right && b.left < a.right; }

Box joined(const Box& a, const Box& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

struct Phrase {
  std::string text;
  Box box;
  int words;
  Box last;  // the phrase's last word
  std::vector<int> bottoms;  // of its words

  // Where most of its words end below: the baseline, but for descenders.
  int baseline() const {
    std::vector<int> sorted = bottoms;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    return sorted[sorted.size() / 2];
  }
};

// Phrases of one visual row, left to right.
struct Row {
  std::vector<Phrase> phrases;
  Box box;
};

int verticalOverlap(const Box& a, const Box& b) {
  return std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
}

// Whether `b` follows `a` on its line at word spacing, or `a` follows `b`.
bool atWordSpacing(const Box& a, const Box& b) {
  const int lower = std::min(a.height(), b.height());
  const int higher = std::max(a.height(), b.height());
  const int gap = std::max(a.left, b.left) - std::min(a.right, b.right);
  return 2 * verticalOverlap(a, b) > lower && 2 * gap <= kHalfHeightsOfAPhraseGap * higher;
}

Box boxOf(const BoxedWord& word) { return {word.left, word.top, word.right, word.bottom}; }

std::vector<Phrase> phrasesOf(std::vector<BoxedWord> words) {
  std::stable_sort(words.begin(), words.end(),
                   [](const BoxedWord& a, const BoxedWord& b) { return a.left < b.left; });
  std::vector<Phrase> phrases;
  for (BoxedWord& word : words) {
    const Box box = boxOf(word);
    // Of the phrases the word can go on, the one nearest to it.
    Phrase* best = nullptr;
    for (Phrase& phrase : phrases) {
      if (atWordSpacing(phrase.last, box) && (best == nullptr || phrase.box.right > best->box.right)) {
        best = &phrase;
      }
    }
    if (best == nullptr) {
      phrases.push_back({std::move(word.text), box, 1, box, {box.bottom}});
      continue;
    }
    best->text += ' ' + word.text;
    best->box = joined(best->box, box);
    best->last = box;
    best->bottoms.push_back(box.bottom);
    ++best->words;
  }
  return phrases;
}

std::vector<Row> rowsOf(std::vector<Phrase> phrases) {
  std::stable_sort(phrases.begin(), phrases.end(),
                   [](const Phrase& a, const Phrase& b) { return a.box.top < b.box.top; });
  std::vector<Row> rows;
  for (Phrase& phrase : phrases) {
    // The row it overlaps most, by more than half the lower of the two, and
    // where nothing stands above or below it.
    Row* best = nullptr;
    int bestOverlap = 0;
    for (Row& row : rows) {
      const int overlap = verticalOverlap(row.box, phrase.box);
      const bool free = std::none_of(row.phrases.begin(), row.phrases.end(), [&](const Phrase& p) {
        return oneAboveTheOther(p.box, phrase.box);
      });
      if (free && 2 * overlap > std::min(row.box.height(), phrase.box.height()) &&
          overlap > bestOverlap) {
        best = &row;
        bestOverlap = overlap;
      }
    }
    if (best == nullptr) {
      rows.push_back({{}, phrase.box});
      best = &rows.back();
    }
    best->box = joined(best->box, phrase.box);
    best->phrases.push_back(std::move(phrase));
  }
  for (Row& row : rows) {
    std::stable_sort(row.phrases.begin(), row.phrases.end(),
                     [](const Phrase& a, const Phrase& b) { return a.box.left < b.box.left; });
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const Row& a, const Row& b) { return a.box.top < b.box.top; });
  return rows;
}

// Further than any picture is wide, with room to subtract from.
constexpr int kFarAway = 1 << 20;

struct Gap {
  int left;
  int right;

  int width() const { return right - left; }
};

// The parts of `gaps` that no phrase of `row` covers, at least `least` wide.
std::vector<Gap> freeParts(const Row& row, const std::vector<Gap>& gaps, int least) {
  std::vector<Gap> parts;
  for (const Gap& gap : gaps) {
    int from = gap.left;
    for (const Phrase& phrase : row.phrases) {
      if (phrase.box.right <= from) continue;
      if (phrase.box.left >= gap.right) break;
      if (phrase.box.left - from >= least) parts.push_back({from, phrase.box.left});
      from = std::max(from, phrase.box.right);
    }
    if (gap.right - from >= least) parts.push_back({from, gap.right});
  }
  return parts;
}

int medianHeight(const std::vector<Row>& rows, std::size_t first, std::size_t last) {
  std::vector<int> heights;
  for (std::size_t k = first; k <= last; ++k) {
    for (const Phrase& phrase : rows[k].phrases) heights.push_back(phrase.box.height());
  }
  std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
  return heights[heights.size() / 2];
}

// Whether two phrases stand on one line, as the cells of a table's row do:
// their middles within a quarter of a text height.
bool inLine(const Phrase& a, const Phrase& b, int height) {
  return 4 * std::abs(a.box.top + a.box.bottom - b.box.top - b.box.bottom) <= 2 * height;
}

// The lines beside a gutter on one side.
struct Stack {
  int lines = 0;
  int words = 0;
  int characters = 0;  // bytes, spaces left out
  int letters = 0;     // of those, of letters (any byte of a character beyond ASCII)
  bool numbers = true;  // each line a number alone
  int leftmost = 0;     // where the lines begin
  int rightmost = 0;
  void add(const Phrase& phrase) {
    numbers = numbers && isNumber(phrase.text);
    leftmost = lines == 0 ? phrase.box.left : std::min(leftmost, phrase.box.left);
    rightmost = lines == 0 ? phrase.box.left : std::max(rightmost, phrase.box.left);
    ++lines;
    words += phrase.words;
    for (const char c : phrase.text) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte == ' ') continue;
      ++characters;
      letters += (byte >= 0x80 || std::isalpha(byte)) ? 1 : 0;
    }
  }

  // Lines of several words.
  bool isText() const { return lines >= kLinesOfAColumn && words >= kWordsOfAColumnLine * lines; }

  // Lines of several words that begin one below the other, as a column of
  // text does and indented code does not.
  bool isTextColumn(int height) const { return isText() && rightmost - leftmost <= height; }

  // A text column of words, as sentences are, not of the codes, numbers and
  // signs of a listing's fields ("drwxr-xr-x 2 root root").
  bool isRunningText(int height) const {
    return isTextColumn(height) && 100 * letters >= kPercentLettersOfText * characters;
  }

  // Running text of long lines: an article's, a message's.
  bool isProse(int height) const {
    return isRunningText(height) && words >= kWordsOfAProseLine * lines;
  }

  static bool isNumber(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  }
};

// Whether `gutter`, free in rows `first` to `last`, parts them into two
// columns read one after the other. Sides whose lines stand in line with
// each other, each line of one of them with a partner on the other, are a
// table's columns, read across, however far apart: unless the ground
// changes between them (two windows, a panel), both are running text (two
// text columns), or one is prose far away from the other (a sidebar's list
// beside an article). Sides not in line part where both stand side by side
// in most rows (two windows), where the one to the right is a text column
// beyond a wide gutter (a sidebar's list beside an article), or where text
// has anything beside it further away than any table's cells are. Never a
// column of line numbers from its lines, nor lines that alternate from side
// to side (chat bubbles), which are read down the rows.
bool partsColumns(const std::vector<Row>& rows, std::size_t first, std::size_t last, Gap gutter,
                  int height, const GroundEdgeDown& edgeDown) {
  // The phrase nearest to the gutter on each side of each row.
  std::vector<const Phrase*> nearestLeft(last + 1, nullptr);
  std::vector<const Phrase*> nearestRight(last + 1, nullptr);
  std::size_t leftFirst = last + 1, leftLast = first, rightFirst = last + 1, rightLast = first;
  for (std::size_t k = first; k <= last; ++k) {
    for (const Phrase& phrase : rows[k].phrases) {
      if (phrase.box.right <= gutter.left) nearestLeft[k] = &phrase;
      if (phrase.box.left >= gutter.right && nearestRight[k] == nullptr) nearestRight[k] = &phrase;
    }
    if (nearestLeft[k] != nullptr) leftFirst = std::min(leftFirst, k), leftLast = k;
    if (nearestRight[k] != nullptr) rightFirst = std::min(rightFirst, k), rightLast = k;
  }
  // The rows where both sides hold lines.
  const std::size_t from = std::max(leftFirst, rightFirst);
  const std::size_t to = std::min(leftLast, rightLast);
  if (from > to) return false;
  Stack left;
  Stack right;
  int shared = 0;
  int inLineWithEachOther = 0;
  // The gutter between the lines themselves.
  Gap between{-kFarAway, kFarAway};
  for (std::size_t k = from; k <= to; ++k) {
    if (nearestLeft[k] != nullptr) {
      left.add(*nearestLeft[k]);
      between.left = std::max(between.left, nearestLeft[k]->box.right);
    }
    if (nearestRight[k] != nullptr) {
      right.add(*nearestRight[k]);
      between.right = std::min(between.right, nearestRight[k]->box.left);
    }
    if (nearestLeft[k] != nullptr && nearestRight[k] != nullptr) {
      ++shared;
      inLineWithEachOther += inLine(*nearestLeft[k], *nearestRight[k], height);
    }
  }
  if (left.numbers) return false;
  // Along two rows at least: along one, what is left of the letters above and
  // below looks like an edge.
  const bool groundChanges =
      edgeDown && from < to && edgeDown(between.left, between.right, rows[from].box.top, rows[to].box.bottom);
  const bool textColumns = left.isRunningText(height) && right.isRunningText(height) &&
                           gutter.width() >= kHeightsOfAColumnGutter * height;
  const bool farFromProse = (left.isProse(height) || right.isProse(height)) &&
                            gutter.width() >= kHeightsFromProse * height;
  const bool table = shared >= 2 && inLineWithEachOther == std::min(left.lines, right.lines);
  if (table) return groundChanges || textColumns || farFromProse;
  // Side by side in most rows, yet in line in fewer than three fifths of them;
  // or text with anything beside it, further away than any table's cells are.
  const bool windows =
      2 * shared > std::max(left.lines, right.lines) && shared >= 2 &&
      (5 * inLineWithEachOther < 3 * shared ||
       ((left.isText() || right.isText()) && gutter.width() >= kHeightsBetweenWindows * height));
  const bool sidebar = right.isTextColumn(height) && gutter.width() >= kHeightsOfASidebarGutter * height;
  return groundChanges || windows || textColumns || sidebar;
}

// The rows from `first` on that run down beside one gutter that parts
// columns, that gutter and the last of them; none when row `first` begins no
// such rows.
struct Columns {
  std::size_t last;
  Gap gutter;
};
std::optional<Columns> columnsFrom(const std::vector<Row>& rows, std::size_t first,
                                   const GroundEdgeDown& edgeDown) {
  // The gaps free from `first` down to the last row so far, between phrases
  // and beside them: a sidebar's first item may stand on a row of its own,
  // between two lines of the article beside it.
  const int least = medianHeight(rows, first, first);
  const std::vector<Phrase>& phrases = rows[first].phrases;
  std::vector<Gap> gaps = {{-kFarAway, phrases.front().box.left}};
  for (std::size_t at = 0; at + 1 < phrases.size(); ++at) {
    const Gap gap{phrases[at].box.right, phrases[at + 1].box.left};
    if (gap.width() >= least) gaps.push_back(gap);
  }
  gaps.push_back({phrases.back().box.right, kFarAway});
  std::optional<Columns> found;
  std::size_t last = first;
  while (!gaps.empty()) {
    const int height = medianHeight(rows, first, last);
    for (const Gap& gap : gaps) {
      // Once columns are found, rows below them that leave their gutter
      // free, if narrower, are theirs too: the rest of a sidebar longer
      // than the article, an item that reaches close to it.
      const bool onFoundGutter =
          found && gap.left >= found->gutter.left && gap.right <= found->gutter.right;
      if (onFoundGutter || partsColumns(rows, first, last, gap, height, edgeDown)) {
        found = Columns{last, gap};
      }
    }
    const std::size_t next = last + 1;
    if (next == rows.size()) break;
    const int nearHeight = std::max(medianHeight(rows, last, last), medianHeight(rows, next, next));
    if (2 * (rows[next].box.top - rows[last].box.bottom) > kHalfHeightsBetweenRows * nearHeight) break;
    gaps = freeParts(rows[next], gaps, least);
    last = next;
  }
  return found;
}

// The phrases of `rows`, row after row; where rows run down beside a gutter
// that parts columns, the columns one after the other, each in reading order
// in its turn.
void appendInReadingOrder(std::vector<Phrase> phrases, const GroundEdgeDown& edgeDown,
                          std::vector<std::string>& lines) {
  const std::vector<Row> rows = rowsOf(std::move(phrases));
  for (std::size_t first = 0; first < rows.size();) {
    if (const std::optional<Columns> columns = columnsFrom(rows, first, edgeDown)) {
      std::vector<Phrase> left;
      std::vector<Phrase> right;
      for (std::size_t k = first; k <= columns->last; ++k) {
        for (const Phrase& phrase : rows[k].phrases) {
          (phrase.box.right <= columns->gutter.left ? left : right).push_back(phrase);
        }
      }
      appendInReadingOrder(std::move(left), edgeDown, lines);
      appendInReadingOrder(std::move(right), edgeDown, lines);
      first = columns->last + 1;
      continue;
    }
    std::string line = rows[first].phrases[0].text;
    for (std::size_t at = 1; at < rows[first].phrases.size(); ++at) {
      line += ' ' + rows[first].phrases[at].text;
    }
    lines.push_back(std::move(line));
    ++first;
  }
}

}  // namespace

bool atWordSpacing(const BoxedWord& a, const BoxedWord& b) {
  return atWordSpacing(boxOf(a), boxOf(b));
}

std::vector<std::string> visualLines(std::vector<BoxedWord> words, const GroundEdgeDown& edgeDown) {
  std::vector<std::string> lines;
  appendInReadingOrder(phrasesOf(std::move(words)), edgeDown, lines);
  return lines;
}

}  // namespace mivo::platform
