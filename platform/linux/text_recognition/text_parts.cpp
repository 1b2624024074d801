#include "platform/linux/text_recognition/text_parts.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <unordered_map>

#include "platform/linux/text_recognition/groups.h"
#include "platform/text_recognition.h"

namespace mivo::platform {
namespace {

// Ink: darker than the white ground by a fifth or more, so that light grey
// text counts too.
constexpr int kInkThreshold = 204;
// Ten times what a screen full of small text holds.
constexpr int kMostShapes = 100000;
// A part enlarged holds at most as many pixels as the largest picture read,
// and no side of it, with the white border of 8 pixels that the recogniser
// adds around it, is longer than Tesseract reads.
constexpr std::uint64_t kMostReadPixels = std::uint64_t{1} << 28;
constexpr std::int64_t kLongestReadSide = 32767 - 2 * 8;
// Lower shapes are marks: dots, commas, dashes, the bars of "=".
constexpr int kLowestLetter = 3;
// Measured on the 30 lines of invoices of the tests: lines 16 pixels high lost
// four decimal points at their own size and none at twice it; lines 24 pixels
// high read whole as they are and lost two to four at twice. The lines of the
// 6 x 13 terminal font, 9 or 10 pixels high, read "rw" as "ru" and lost
// colons at twice their size, and read whole at three times it; 14-pixel web
// text in a table lost cells at three times its size.
constexpr int kSmallTextHeight = 20;
constexpr int kTinyTextHeight = 11;
// Lower phrases are specks, or text too small to read at any size.
constexpr int kLowestPhrase = 6;
// Shapes higher than this are no letters of small text.
constexpr int kHighestLetter = 3 * kSmallTextHeight;
// Nor higher than this of any text on a screen: a heading's letters are
// lower; what is higher is a picture, a frame or a pattern, never read.
constexpr int kHighestLetterOfAll = 256;
// Letters side by side on a line, up to this many times as high as each
// other ("(" beside "a"), with a gap of at most one and a half of the higher's
// height (a word space, a terminal's double space) follow each other.
constexpr int kLetterHeightRatio = 3;
constexpr int kHalfHeightsOfAWordGap = 3;
// A small letter ("o") is two thirds as high as its line, whose word gap
// is one and a half of that.
constexpr int kHeightsOfAWordGapBesideADash = 2;
// The letters that measure a phrase's height: those up to this many tenths
// of the median letter's height (ascenders over "x", not a bar beside the
// text).
constexpr int kTenthsOfAMeasuredLetter = 16;

struct Shape {
  int left;
  int top;
  int right;
  int bottom;

  int height() const { return bottom - top; }
  bool letter() const { return height() >= kLowestLetter; }
};

Shape outset(const Shape& box, int by) {
  return {box.left - by, box.top - by, box.right + by, box.bottom + by};
}

Shape spanning(const Shape& a, const Shape& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

int gapBetween(const Shape& a, const Shape& b) {
  return std::max(a.left, b.left) - std::min(a.right, b.right);
}

bool followEachOther(const Shape& a, const Shape& b) {
  const int lower = std::min(a.height(), b.height());
  const int higher = std::max(a.height(), b.height());
  const int overlap = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return 2 * overlap >= lower && higher <= kLetterHeightRatio * lower &&
         2 * gapBetween(a, b) <= kHalfHeightsOfAWordGap * higher;
}

// A mark of a letter's line: beside it, its middle within the letter's
// height (a dot, a dash, the dots of a colon), at most a word space away (a
// dash as far as from a small letter, lower than its line: "- oat"); on
// it, no higher than a third of the letter's height above it (the dot of an
// "i", an accent); or after it, no lower than a quarter below it (a comma).
// Further away are the marks of the lines above and below.
bool marks(const Shape& letter, const Shape& mark) {
  const int height = letter.height();
  const int middle2 = mark.top + mark.bottom;
  const int gap = gapBetween(letter, mark);
  if (middle2 < 2 * letter.top) return gap < 0 && 3 * (2 * letter.top - middle2) <= 2 * height;
  if (middle2 > 2 * letter.bottom) return gap <= 1 && 2 * (middle2 - 2 * letter.bottom) <= height;
  const bool dash = mark.right - mark.left >= 2 * mark.height();
  return dash ? gap <= kHeightsOfAWordGapBesideADash * height
              : 2 * gap <= kHalfHeightsOfAWordGap * height;
}

// Marks in a row, each at most twice its own width and a letter's stroke
// from the next (a terminal's dashes, their light ends whitened, are 3
// pixels long and 6 apart): the dashes of "crw-------", the dots of an
// ellipsis, the underscores of "__init__"; read with the letters they reach,
// not left out of them.
bool inARowOfMarks(const Shape& a, const Shape& b) {
  const int overlap = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  const int widest = std::max(a.right - a.left, b.right - b.left);
  return overlap > 0 && gapBetween(a, b) <= 2 * widest + kLowestLetter;
}

// An underscore under or beside a letter: flat, as wide as half the letter
// is high (not the dot of an "i" on the line below), and at most half the
// letter's height below its foot.
bool underscores(const Shape& letter, const Shape& mark) {
  const int height = letter.height();
  const int width = mark.right - mark.left;
  return width >= 4 * mark.height() && 2 * width >= height && mark.top >= letter.bottom - 1 &&
         2 * (mark.top - letter.bottom) <= height && 2 * gapBetween(letter, mark) <= height;
}

bool ofOnePhrase(const Shape& a, const Shape& b) {
  if (a.letter() && b.letter() && followEachOther(a, b)) return true;
  if (!a.letter() && !b.letter()) return inARowOfMarks(a, b);
  const Shape& higher = a.height() >= b.height() ? a : b;
  const Shape& lower = a.height() >= b.height() ? b : a;
  return higher.letter() && 3 * lower.height() <= 2 * higher.height() &&
         (marks(higher, lower) || underscores(higher, lower));
}

// How far right of `a` the shapes it is looked at with begin: as far as a
// letter up to three times as high as `a` may follow it, or, for a mark, as
// the highest letter.
int reach(const Shape& a) {
  const int highest = a.letter() ? kLetterHeightRatio * a.height() : kHighestLetter;
  return kHalfHeightsOfAWordGap * highest / 2;
}

struct Phrase {
  Shape box;
  int height;
  int scale;
  std::int64_t covered = 0;  // by its shapes' boxes, in pixels
  int letters = 0;
  int sheet = 0;  // which of the pictures read at its scale holds it
};

bool meet(const Shape& a, const Shape& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The phrases that stand near a place, found by the squares of a grid that
// their boxes cover: a screen holds thousands of phrases, and noise tens of
// thousands, too many to pair each with each.
class PhraseGrid {
 public:
  explicit PhraseGrid(const std::vector<Phrase>& phrases) : phrases_(phrases), seen_(phrases.size(), 0) {
    for (std::size_t i = 0; i < phrases.size(); ++i) {
      forEachSquare(phrases[i].box, [&](std::int64_t square) { squares_[square].push_back(i); });
    }
  }

  // Calls `visit` with each phrase whose box meets `area`, once.
  template <typename Visit>
  void near(const Shape& area, Visit visit) {
    ++stamp_;
    forEachSquare(area, [&](std::int64_t square) {
      const auto found = squares_.find(square);
      if (found == squares_.end()) return;
      for (const std::size_t i : found->second) {
        if (seen_[i] == stamp_) continue;
        seen_[i] = stamp_;
        if (meet(phrases_[i].box, area)) visit(i);
      }
    });
  }

 private:
  static constexpr int kSquare = 64;

  template <typename Each>
  static void forEachSquare(const Shape& box, Each each) {
    for (int y = floorDivided(box.top); y <= floorDivided(box.bottom - 1); ++y) {
      for (int x = floorDivided(box.left); x <= floorDivided(box.right - 1); ++x) {
        each((static_cast<std::int64_t>(y) << 32) + x);
      }
    }
  }
  static int floorDivided(int v) { return v >= 0 ? v / kSquare : -((-v + kSquare - 1) / kSquare); }

  const std::vector<Phrase>& phrases_;
  std::unordered_map<std::int64_t, std::vector<std::size_t>> squares_;
  std::vector<unsigned> seen_;
  unsigned stamp_ = 0;
};

// The height of a phrase's text: the extent of its letters, but for those
// much higher than most.
int measuredHeight(std::vector<const Shape*> letters) {
  std::vector<int> heights;
  for (const Shape* letter : letters) heights.push_back(letter->height());
  std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
  const int median = heights[heights.size() / 2];
  int top = 0;
  int bottom = 0;
  bool any = false;
  for (const Shape* letter : letters) {
    if (10 * letter->height() > kTenthsOfAMeasuredLetter * median) continue;
    top = any ? std::min(top, letter->top) : letter->top;
    bottom = any ? std::max(bottom, letter->bottom) : letter->bottom;
    any = true;
  }
  return bottom - top;
}

int scaleFor(int height) {
  return height < kTinyTextHeight ? 3 : height < kSmallTextHeight ? 2 : 1;
}

// Ink this far around a phrase is of it: its dots, its letters' edges.
int margin(const Phrase& phrase) { return std::max(2, phrase.height / 3); }

bool within(const Shape& inner, const Shape& outer, int margin) {
  return inner.left >= outer.left - margin && inner.top >= outer.top - margin &&
         inner.right <= outer.right + margin && inner.bottom <= outer.bottom + margin;
}

std::vector<Shape> shapesOf(Pix* ink) {
  l_int32 count = 0;
  if (pixCountConnComp(ink, 8, &count) != 0) {
    throw RecognitionError("the shapes of the picture cannot be counted");
  }
  if (count > kMostShapes) return {};
  const BoxaPointer boxes(pixConnCompBB(ink, 8));
  if (boxes == nullptr) throw RecognitionError("the shapes of the picture cannot be found");
  std::vector<Shape> shapes;
  for (int i = 0; i < boxaGetCount(boxes.get()); ++i) {
    l_int32 x = 0, y = 0, width = 0, height = 0;
    boxaGetBoxGeometry(boxes.get(), i, &x, &y, &width, &height);
    if (height <= kHighestLetterOfAll) shapes.push_back({x, y, x + width, y + height});
  }
  std::sort(shapes.begin(), shapes.end(),
            [](const Shape& a, const Shape& b) { return a.left < b.left; });
  return shapes;
}

// Whether `shape` is a list's bullet: a filled round dot, four pixels wide
// or more, alone at the start of its line, with a higher letter beyond a
// gap of its own width or more, below the letter's top (not a quotation
// mark) and its middle not down at the letter's foot (a period). The
// recogniser reads it as "e", "«" or "©".
bool isBullet(const Shape& shape, std::size_t at, const std::vector<Shape>& shapes, Pix* ink) {
  const int width = shape.right - shape.left;
  const int height = shape.height();
  if (width < 4 || height < 4 || 4 * std::abs(width - height) > std::max(width, height)) return false;
  const BoxPointer box(boxCreate(shape.left, shape.top, width, height));
  l_int32 inked = 0;
  if (box == nullptr || pixCountPixelsInRect(ink, box.get(), &inked, nullptr) != 0) {
    throw RecognitionError("the ink of the picture cannot be counted");
  }
  if (10 * inked < 7 * width * height) return false;
  const auto onItsRow = [&](const Shape& other) {
    return std::min(other.bottom, shape.bottom) > std::max(other.top, shape.top);
  };
  // Nothing before it on its line.
  for (std::size_t j = at; j-- > 0 && shapes[j].left >= shape.left - 4 * kHighestLetter;) {
    if (onItsRow(shapes[j]) && shapes[j].right > shape.left - 2 * height) return false;
  }
  for (std::size_t j = at + 1; j < shapes.size() && shapes[j].left <= shape.right + 4 * kHighestLetter; ++j) {
    const Shape& next = shapes[j];
    if (!onItsRow(next) || !next.letter()) continue;
    const int gap = next.left - shape.right;
    const int middle2 = shape.top + shape.bottom;
    return gap >= width && gap <= 4 * next.height() && 5 * next.height() >= 6 * height &&
           shape.top > next.top && 4 * middle2 <= 8 * next.bottom - 2 * next.height();
  }
  return false;
}

// Whitens the bullets of lists in `grey` and leaves them out of `shapes`.
void removeBullets(std::vector<Shape>& shapes, Pix* ink, Pix* grey) {
  std::vector<Shape> kept;
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    const Shape& shape = shapes[i];
    if (!isBullet(shape, i, shapes, ink)) {
      kept.push_back(shape);
      continue;
    }
    const BoxPointer box(boxCreate(shape.left - 1, shape.top - 1, shape.right - shape.left + 2,
                                   shape.height() + 2));
    if (box == nullptr || pixSetInRectArbitrary(grey, box.get(), 255) != 0) {
      throw RecognitionError("the bullets of the picture cannot be whitened");
    }
  }
  shapes = std::move(kept);
}

// The darkest grey of a letter and the width of its strokes: the median of
// its runs of ink across, each pixel counted by how dark it is, as a stroke
// that falls between two columns of pixels is drawn in two of grey.
struct Strokes {
  int darkest;
  int width;
};

Strokes strokesOf(Pix* grey, const Shape& letter) {
  const l_uint32* const rows = pixGetData(grey);
  const int words = pixGetWpl(grey);
  int darkest = 255;
  for (int y = letter.top; y < letter.bottom; ++y) {
    for (int x = letter.left; x < letter.right; ++x) {
      darkest = std::min<int>(darkest, GET_DATA_BYTE(rows + y * words, x));
    }
  }
  const int full = std::max(255 - darkest, 1);
  std::vector<int> runs;  // in 255ths of a pixel of the darkest grey
  for (int y = letter.top; y < letter.bottom; ++y) {
    int run = 0;
    for (int x = letter.left; x <= letter.right; ++x) {
      const int value = x < letter.right ? GET_DATA_BYTE(rows + y * words, x) : 255;
      if (value < kInkThreshold) {
        run += 255 * (255 - value) / full;
        continue;
      }
      if (run > 0) runs.push_back(run);
      run = 0;
    }
  }
  if (runs.empty()) return {darkest, 1};
  std::nth_element(runs.begin(), runs.begin() + runs.size() / 2, runs.end());
  return {darkest, std::max(1, (runs[runs.size() / 2] + 229) / 255)};
}

// Whether `mark` lies amid the height of `letter` beside it, its foot a
// third of the letter's height or more above the letter's: a dash of
// "crw-------", taken for an underscore of a "p" or "g" on the line above
// whose tail ends just above it. An underscore beside a "p" is as low as
// its tail.
bool amid(const Shape& letter, const Shape& mark) {
  return 2 * gapBetween(letter, mark) <= letter.height() && letter.top < mark.top &&
         3 * (letter.bottom - mark.bottom) >= letter.height();
}

// The letter that `mark` is an underscore of, if any: one beside it on the
// line, not over it. An underline runs under letters and is left as it is.
const Shape* underscoredLetter(const Shape& mark, const std::vector<Shape>& shapes) {
  const int width = mark.right - mark.left;
  if (mark.letter() || width < 4 * mark.height()) return nullptr;
  const auto first = std::lower_bound(shapes.begin(), shapes.end(), mark.left - kHighestLetter,
                                      [](const Shape& shape, int left) { return shape.left < left; });
  const Shape* beside = nullptr;
  int over = 0;
  for (auto at = first; at != shapes.end() && at->left <= mark.right + kHighestLetter; ++at) {
    if (at->letter() && amid(*at, mark)) return nullptr;
    if (!at->letter() || !underscores(*at, mark)) continue;
    const int across = std::min(at->right, mark.right) - std::max(at->left, mark.left);
    if (across > 0) over += across;
    if (2 * across < at->right - at->left) beside = &*at;
  }
  return 2 * over > width ? nullptr : beside;
}

// A terminal font's underscore is a line of one pixel, grey where it falls
// between two rows of pixels, beside letters of strokes two pixels wide and
// dark: the recogniser drops it ("BACKUP ROOT") or breaks the word at it
// ("_ USE XOPEN"). Each with less ink across than four fifths of a pixel of
// the letter's darkest grey is drawn again in `grey`, and in `shapes`, as
// dark and as thick as the strokes of the letter beside it.
constexpr int kInkOfASeenUnderscore = 204;

void strengthenUnderscores(std::vector<Shape>& shapes, Pix* grey) {
  l_uint32* const rows = pixGetData(grey);
  const int words = pixGetWpl(grey);
  for (Shape& mark : shapes) {
    const Shape* const letter = underscoredLetter(mark, shapes);
    if (letter == nullptr) continue;
    const Strokes strokes = strokesOf(grey, *letter);
    // One drawn with a whole pixel of ink is seen as it is, and reads worse
    // made thicker.
    const int middle = (mark.left + mark.right) / 2;
    int ink = 0;  // across the middle, in 255ths of a pixel of the darkest grey
    for (int y = mark.top; y < mark.bottom; ++y) {
      ink += 255 * (255 - static_cast<int>(GET_DATA_BYTE(rows + y * words, middle))) /
             std::max(255 - strokes.darkest, 1);
    }
    if (ink >= kInkOfASeenUnderscore) continue;
    // Thickened up towards its own letters' feet, a pixel short of them, not
    // down towards the next line, which tight lines leave a pixel or two
    // away.
    const int top = std::max({mark.bottom - strokes.width, letter->bottom + 1, 0});
    for (int x = mark.left; x < mark.right; ++x) {
      bool inked = false;
      for (int y = mark.top; y < mark.bottom; ++y) {
        inked = inked || GET_DATA_BYTE(rows + y * words, x) < kInkThreshold;
      }
      if (!inked) continue;
      for (int y = std::min(top, mark.top); y < mark.bottom; ++y) {
        l_uint32* const row = rows + y * words;
        SET_DATA_BYTE(row, x, std::min<int>(GET_DATA_BYTE(row, x), strokes.darkest));
      }
    }
    mark.top = std::min(top, mark.top);
  }
}

std::vector<Phrase> phrasesOf(const std::vector<Shape>& shapes) {
  Groups groups(shapes.size());
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    const Shape& a = shapes[i];
    for (std::size_t j = i + 1; j < shapes.size() && shapes[j].left <= a.right + reach(a); ++j) {
      if (ofOnePhrase(a, shapes[j])) groups.join(i, j);
    }
  }
  std::vector<std::vector<const Shape*>> members(shapes.size());
  for (std::size_t i = 0; i < shapes.size(); ++i) members[groups.root(i)].push_back(&shapes[i]);
  std::vector<Phrase> phrases;
  for (const std::vector<const Shape*>& group : members) {
    std::vector<const Shape*> letters;
    Shape box = group.empty() ? Shape{} : *group.front();
    std::int64_t covered = 0;
    for (const Shape* shape : group) {
      if (shape->letter()) letters.push_back(shape);
      box = spanning(box, *shape);
      covered += static_cast<std::int64_t>(shape->right - shape->left) * shape->height();
    }
    if (letters.empty()) continue;
    const int count = static_cast<int>(letters.size());
    const int height = measuredHeight(std::move(letters));
    if (height >= kLowestPhrase) phrases.push_back({box, height, scaleFor(height), covered, count});
  }
  // A phrase within the margin of one at least twice as high is of it: the
  // dot of a large "i", a large colon's.
  int widestMargin = 0;
  for (const Phrase& phrase : phrases) widestMargin = std::max(widestMargin, margin(phrase));
  PhraseGrid grid(phrases);
  std::vector<Phrase> kept;
  for (const Phrase& phrase : phrases) {
    bool ofAnother = false;
    grid.near(outset(phrase.box, widestMargin), [&](std::size_t other) {
      ofAnother = ofAnother || (phrases[other].height >= 2 * phrase.height &&
                                within(phrase.box, phrases[other].box, margin(phrases[other])));
    });
    if (!ofAnother) kept.push_back(phrase);
  }
  return kept;
}

// Sets or clears `box` with a margin in `mask`, whose top left corner lies at
// (`x`, `y`) in the picture.
void paint(Pix* mask, const Shape& box, int margin, int x, int y, int op) {
  const Shape painted = outset(box, margin);
  pixRasterop(mask, painted.left - x, painted.top - y, painted.right - painted.left,
              painted.bottom - painted.top, op, nullptr, 0, 0);
}

// Whether `phrase` stands on the line of the word `word`, in one size of
// text: at most half again as high, at least half as high (two small
// letters: "ii"), overlapping by more than half the lower, their feet or
// their tops within a third of it (a word with descenders beside one
// without, capitals beside small letters).
bool onTheLineOf(const Phrase& word, const Phrase& phrase) {
  const int lower = std::min(word.height, phrase.height);
  const int overlap = std::min(word.box.bottom, phrase.box.bottom) - std::max(word.box.top, phrase.box.top);
  return 2 * phrase.height <= 3 * word.height && word.height <= 2 * phrase.height &&
         2 * overlap > lower &&
         (3 * std::abs(word.box.bottom - phrase.box.bottom) <= lower ||
          3 * std::abs(word.box.top - phrase.box.top) <= lower);
}

// A word that sets its line's scale: three letters or more, two heights long
// at least; no icon, no window's buttons, no single mark.
constexpr int kLettersOfAWord = 3;
bool setsItsLinesScale(const Phrase& phrase) {
  return phrase.letters >= kLettersOfAWord && phrase.box.right - phrase.box.left >= 2 * phrase.height;
}

// Phrases on one line up to this many heights apart are read at one scale:
// across a table's widest gutters (a package listing's are 23).
constexpr int kHeightsAlongALine = 40;

// Reads each phrase at the scale, and measures it at the height, of the
// highest word on its line: a cell of small letters ("ii", "crw-------"
// beside "1 root root") measures lower than its row, and read apart at a
// larger scale, and alone, it loses its marks or its case; and a table whose
// rows are read in two parts is read across its whole width twice, blanks
// and all. Measured lower, it also stands out of line with the rest of its
// line, and its block is read apart.
void scaleLinesAlike(std::vector<Phrase>& phrases) {
  Groups lines(phrases.size());
  PhraseGrid grid(phrases);
  for (std::size_t i = 0; i < phrases.size(); ++i) {
    if (!setsItsLinesScale(phrases[i])) continue;
    const Shape& box = phrases[i].box;
    const int reach = kHeightsAlongALine * phrases[i].height;
    grid.near({box.left - reach, box.top, box.right + reach, box.bottom}, [&](std::size_t j) {
      if (onTheLineOf(phrases[i], phrases[j])) lines.join(i, j);
    });
  }
  std::vector<int> highest(phrases.size(), 0);
  for (std::size_t i = 0; i < phrases.size(); ++i) {
    int& line = highest[lines.root(i)];
    if (setsItsLinesScale(phrases[i])) line = std::max(line, phrases[i].height);
  }
  for (std::size_t i = 0; i < phrases.size(); ++i) {
    const int line = highest[lines.root(i)];
    if (line > phrases[i].height) {
      phrases[i].height = line;
      phrases[i].scale = scaleFor(line);
    }
  }
}

// Whether two phrases of one scale are lines of one block, one above the
// other: of heights within half of each other, at most two of the higher's
// heights apart.
bool stacked(const Phrase& a, const Phrase& b) {
  const int lower = std::min(a.height, b.height);
  const int higher = std::max(a.height, b.height);
  const int across = std::min(a.box.right, b.box.right) - std::max(a.box.left, b.box.left);
  const int apart = std::max(a.box.top, b.box.top) - std::min(a.box.bottom, b.box.bottom);
  return a.scale == b.scale && 2 * higher <= 3 * lower && across > 0 && apart <= 2 * higher;
}

// Whether two phrases of one scale, each three of its heights long or more
// (not a button's label, a tab, a digit), stand side by side on rows that
// overlap, yet not in line: their tops and their bottoms both more than a
// quarter of a height apart, as a sidebar's lines and an article's, or two
// windows'.
bool outOfLine(const Phrase& a, const Phrase& b) {
  const int lower = std::min(a.height, b.height);
  const int down = std::min(a.box.bottom, b.box.bottom) - std::max(a.box.top, b.box.top);
  const int apart = std::max(a.box.left, b.box.left) - std::min(a.box.right, b.box.right);
  const auto wide = [](const Phrase& p) { return p.box.right - p.box.left >= 3 * p.height; };
  return a.scale == b.scale && wide(a) && wide(b) && down > 0 && apart > 0 &&
         4 * std::abs(a.box.top - b.box.top) > lower &&
         4 * std::abs(a.box.bottom - b.box.bottom) > lower;
}

// Spreads the blocks of each scale over as few pictures as keep apart the
// blocks that stand side by side out of line: read as one, a line of one
// block runs into the other's letters above or below it, and their words
// come out twice or cut.
void spreadOverSheets(std::vector<Phrase>& phrases) {
  Groups blocks(phrases.size());
  PhraseGrid grid(phrases);
  for (std::size_t i = 0; i < phrases.size(); ++i) {
    // A phrase stacked on this one is at most half again as high.
    const Shape& box = phrases[i].box;
    const int reach = 3 * phrases[i].height;
    grid.near({box.left, box.top - reach, box.right, box.bottom + reach}, [&](std::size_t j) {
      if (stacked(phrases[i], phrases[j])) blocks.join(i, j);
    });
  }
  // Phrases by their tops, each paired with those that begin above its
  // bottom.
  std::vector<std::size_t> byTop(phrases.size());
  std::iota(byTop.begin(), byTop.end(), 0);
  std::stable_sort(byTop.begin(), byTop.end(), [&](std::size_t a, std::size_t b) {
    return phrases[a].box.top < phrases[b].box.top;
  });
  std::vector<std::vector<std::size_t>> apart(phrases.size());  // by block
  for (std::size_t at = 0; at < byTop.size(); ++at) {
    const Phrase& upper = phrases[byTop[at]];
    for (std::size_t next = at + 1;
         next < byTop.size() && phrases[byTop[next]].box.top < upper.box.bottom; ++next) {
      const std::size_t a = blocks.root(byTop[at]);
      const std::size_t b = blocks.root(byTop[next]);
      if (a != b && outOfLine(upper, phrases[byTop[next]])) {
        apart[a].push_back(b);
        apart[b].push_back(a);
      }
    }
  }
  // Blocks from left to right, each on the first sheet none of those it is
  // kept apart from is on.
  std::vector<std::size_t> order;
  std::vector<int> leftmost(phrases.size(), std::numeric_limits<int>::max());
  for (std::size_t i = 0; i < phrases.size(); ++i) {
    const std::size_t block = blocks.root(i);
    if (block == i) order.push_back(i);
    leftmost[block] = std::min(leftmost[block], phrases[i].box.left);
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return leftmost[a] < leftmost[b]; });
  std::vector<int> sheet(phrases.size(), -1);
  for (const std::size_t block : order) {
    int free = 0;
    while (std::any_of(apart[block].begin(), apart[block].end(),
                       [&](std::size_t other) { return sheet[other] == free; })) {
      ++free;
    }
    sheet[block] = free;
  }
  for (std::size_t i = 0; i < phrases.size(); ++i) phrases[i].sheet = sheet[blocks.root(i)];
}

}  // namespace

std::vector<TextPart> partsReadApart(Pix* grey) {
  const PixPointer ink(pixThresholdToBinary(grey, kInkThreshold));
  if (ink == nullptr) throw RecognitionError("the picture cannot be made black and white");
  std::vector<Shape> shapes = shapesOf(ink.get());
  removeBullets(shapes, ink.get(), grey);
  strengthenUnderscores(shapes, grey);
  std::vector<Phrase> phrases = phrasesOf(shapes);
  // A phrase's box holds its own shapes' ink, and little else: where it
  // holds more ink than its shapes' boxes cover, a larger shape runs through
  // it, and what looked like letters are the specks of noise or of a
  // photograph's grain around it.
  std::erase_if(phrases, [&ink](const Phrase& phrase) {
    const BoxPointer box(boxCreate(phrase.box.left, phrase.box.top, phrase.box.right - phrase.box.left,
                                   phrase.box.height()));
    l_int32 inked = 0;
    if (box == nullptr || pixCountPixelsInRect(ink.get(), box.get(), &inked, nullptr) != 0) {
      throw RecognitionError("the ink of the picture cannot be counted");
    }
    return inked > phrase.covered;
  });
  scaleLinesAlike(phrases);
  spreadOverSheets(phrases);
  const int width = pixGetWidth(grey);
  const int height = pixGetHeight(grey);
  const PixPointer phraseBoxes(pixCreate(width, height, 1));
  const PixPointer taken(pixCreate(width, height, 1));
  if (phraseBoxes == nullptr || taken == nullptr) {
    throw RecognitionError("the picture's parts cannot be marked");
  }
  for (const Phrase& phrase : phrases) paint(phraseBoxes.get(), phrase.box, 0, 0, 0, PIX_SET);
  int sheets = 0;
  for (const Phrase& phrase : phrases) sheets = std::max(sheets, phrase.sheet + 1);
  std::vector<TextPart> parts;
  for (const int scale : {3, 2, 1}) {
    for (int sheet = 0; sheet < sheets; ++sheet) {
      std::vector<const Phrase*> on;
      for (const Phrase& phrase : phrases) {
        if (phrase.scale == scale && phrase.sheet == sheet) on.push_back(&phrase);
      }
      if (on.empty()) continue;
      // The box of its phrases and their margins, within the picture.
      Shape box = outset(on.front()->box, margin(*on.front()));
      for (const Phrase* phrase : on) box = spanning(box, outset(phrase->box, margin(*phrase)));
      box = {std::max(box.left, 0), std::max(box.top, 0), std::min(box.right, width),
             std::min(box.bottom, height)};
      TextPart part{scale, PixPointer(pixCreate(box.right - box.left, box.bottom - box.top, 1)),
                    box.left, box.top, box.right - box.left, box.bottom - box.top};
      Pix* mask = part.mask.get();
      if (mask == nullptr) throw RecognitionError("the picture's parts cannot be marked");
      // Each phrase, and its margin where no other phrase stands and no
      // part before took it.
      for (const Phrase* phrase : on) paint(mask, phrase->box, margin(*phrase), part.x, part.y, PIX_SET);
      pixRasterop(mask, 0, 0, part.width, part.height, PIX_DST & PIX_NOT(PIX_SRC), phraseBoxes.get(),
                  part.x, part.y);
      pixRasterop(mask, 0, 0, part.width, part.height, PIX_DST & PIX_NOT(PIX_SRC), taken.get(),
                  part.x, part.y);
      for (const Phrase* phrase : on) paint(mask, phrase->box, 0, part.x, part.y, PIX_SET);
      pixRasterop(taken.get(), part.x, part.y, part.width, part.height, PIX_SRC | PIX_DST, mask, 0, 0);
      // No larger than the largest picture read, scaled.
      while (part.scale > 1 && (static_cast<std::uint64_t>(part.width) * part.height * part.scale *
                                        part.scale > kMostReadPixels ||
                                std::int64_t{std::max(part.width, part.height)} * part.scale > kLongestReadSide)) {
        --part.scale;
      }
      parts.push_back(std::move(part));
    }
  }
  return parts;
}

}  // namespace mivo::platform
