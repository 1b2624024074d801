#include "platform/linux/word_choice.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace mivo::platform {
namespace {

// Measured on the 30 lines of invoices of the tests: lines 16 pixels high lost
// four decimal points at their own size and none at twice it; lines 24 pixels
// high read whole as they are and lost two to four at twice. A terminal's
// 18-pixel lines lost the end of one line as they are, and read whole at twice.
constexpr int kSmallTextHeight = 20;
// Words the recogniser is this sure of are kept on their own; less sure ones
// only beside one of them, on its line and at most two text heights away (a
// name, a code word it does not know); the least sure never: what it reads in
// clock faces, icons and window buttons comes alone or beside its like.
constexpr float kSureConfidence = 50;
constexpr float kLeastConfidence = 20;
constexpr int kHeightsToASureWord = 2;

std::int64_t area(const BoxedWord& w) {
  return static_cast<std::int64_t>(w.right - w.left) * (w.bottom - w.top);
}

std::int64_t sharedArea(const BoxedWord& a, const BoxedWord& b) {
  const int width = std::min(a.right, b.right) - std::max(a.left, b.left);
  const int height = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return width > 0 && height > 0 ? static_cast<std::int64_t>(width) * height : 0;
}

// Whether two boxes share more than `parts` of the smaller one.
bool share(const BoxedWord& a, const BoxedWord& b, int parts) {
  return parts * sharedArea(a, b) > std::min(area(a), area(b));
}

// Whether `b` stands on the line of `a` and at most two of its heights away.
bool beside(const BoxedWord& a, const BoxedWord& b) {
  const int height = a.bottom - a.top;
  const int overlap = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  const int gap = std::max(a.left, b.left) - std::min(a.right, b.right);
  return 2 * overlap > std::min(height, b.bottom - b.top) && gap <= kHeightsToASureWord * height;
}

// Words of one reading this far apart, in text heights, on one line are one
// line of text, whose height decides the scale for all of them: a word's own
// height is that of its letters ("61.50" has neither ascenders nor
// descenders), and a size at a tab stop belongs to its file's line.
constexpr int kHeightsAlongALine = 25;

struct Candidate {
  const ReadWord* read;
  bool doubled;
  int lineHeight = 0;
};

// The height of each word's line of text: of the words of one reading that
// follow each other on a line, the highest.
void measureLines(std::vector<Candidate>& candidates, bool doubled) {
  std::vector<std::size_t> of;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (candidates[i].doubled == doubled) of.push_back(i);
  }
  std::vector<std::size_t> line(of.size());
  std::iota(line.begin(), line.end(), 0);
  const auto root = [&line](std::size_t i) {
    while (line[i] != i) i = line[i] = line[line[i]];
    return i;
  };
  for (std::size_t i = 0; i < of.size(); ++i) {
    const BoxedWord& a = candidates[of[i]].read->word;
    for (std::size_t j = i + 1; j < of.size(); ++j) {
      const BoxedWord& b = candidates[of[j]].read->word;
      const int height = std::max(a.bottom - a.top, b.bottom - b.top);
      const int overlap = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
      const int gap = std::max(a.left, b.left) - std::min(a.right, b.right);
      if (2 * overlap > std::min(a.bottom - a.top, b.bottom - b.top) &&
          gap <= kHeightsAlongALine * height) {
        line[root(j)] = root(i);
      }
    }
  }
  std::vector<int> highest(of.size(), 0);
  for (std::size_t i = 0; i < of.size(); ++i) {
    const BoxedWord& word = candidates[of[i]].read->word;
    highest[root(i)] = std::max(highest[root(i)], word.bottom - word.top);
  }
  for (std::size_t i = 0; i < of.size(); ++i) candidates[of[i]].lineHeight = highest[root(i)];
}

// The candidates of one place, without a second word on the place of a surer
// one.
std::vector<const ReadWord*> surest(std::vector<const ReadWord*> words) {
  std::stable_sort(words.begin(), words.end(), [](const ReadWord* a, const ReadWord* b) {
    return a->confidence > b->confidence;
  });
  std::vector<const ReadWord*> kept;
  for (const ReadWord* word : words) {
    if (std::none_of(kept.begin(), kept.end(),
                     [&](const ReadWord* k) { return share(k->word, word->word, 2); })) {
      kept.push_back(word);
    }
  }
  return kept;
}

}  // namespace

std::vector<BoxedWord> chosenWords(const std::vector<ReadWord>& ownSize,
                                   const std::vector<ReadWord>& doubled) {
  std::vector<Candidate> candidates;
  for (const ReadWord& word : ownSize) candidates.push_back({&word, false});
  for (const ReadWord& word : doubled) candidates.push_back({&word, true});
  measureLines(candidates, false);
  measureLines(candidates, true);
  // Places: candidates whose boxes share a third of the smaller one, and
  // those that share with them.
  std::vector<std::size_t> place(candidates.size());
  std::iota(place.begin(), place.end(), 0);
  const auto root = [&place](std::size_t i) {
    while (place[i] != i) i = place[i] = place[place[i]];
    return i;
  };
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    for (std::size_t j = i + 1; j < candidates.size(); ++j) {
      if (share(candidates[i].read->word, candidates[j].read->word, 3)) place[root(j)] = root(i);
    }
  }
  std::vector<std::vector<std::size_t>> places(candidates.size());
  for (std::size_t i = 0; i < candidates.size(); ++i) places[root(i)].push_back(i);
  std::vector<const ReadWord*> chosen;
  for (const std::vector<std::size_t>& members : places) {
    if (members.empty()) continue;
    // The height of the place's line of text, as the doubled reading sees it
    // best.
    int highest[2] = {0, 0};
    for (const std::size_t i : members) {
      int& height = highest[candidates[i].doubled];
      height = std::max(height, candidates[i].lineHeight);
    }
    const int height = highest[1] > 0 ? highest[1] : highest[0];
    bool fromDoubled = height < kSmallTextHeight;
    if (highest[fromDoubled] == 0) fromDoubled = !fromDoubled;
    std::vector<const ReadWord*> words;
    for (const std::size_t i : members) {
      if (candidates[i].doubled == fromDoubled) words.push_back(candidates[i].read);
    }
    for (const ReadWord* word : surest(std::move(words))) {
      if (word->confidence >= kLeastConfidence) chosen.push_back(word);
    }
  }
  std::vector<BoxedWord> kept;
  for (const ReadWord* word : chosen) {
    if (word->confidence >= kSureConfidence ||
        std::any_of(chosen.begin(), chosen.end(), [&](const ReadWord* other) {
          return other->confidence >= kSureConfidence && beside(word->word, other->word);
        })) {
      kept.push_back(word->word);
    }
  }
  return kept;
}

bool holdsALetterOrDigit(std::string_view line) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(line.data());
  const auto length = static_cast<std::int32_t>(line.size());
  for (std::int32_t at = 0; at < length;) {
    UChar32 c = 0;
    U8_NEXT(bytes, at, length, c);
    if (c >= 0 && u_isalnum(c)) return true;
  }
  return false;
}

}  // namespace mivo::platform
