#include "platform/linux/text_recognition/word_choice.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/linux/text_recognition/groups.h"

namespace mivo::platform {
namespace {

constexpr float kSureConfidence = 50;
// A word less sure than this is kept only on a phrase with a sure word; a
// surer one also on the row of a sure word, at most this many heights away,
// if it is of letters and digits: a table's cell, a receipt's price, a
// calculator's key.
constexpr float kLeastConfidence = 20;
constexpr int kHeightsAlongARow = 20;
// A word of this many letters and digits at least, mostly of them, is text
// even alone and unsure: a long path, an address, a listing's header line
// ("Desired=Unknown/Install/Remove/Purge/Hold"); what clock faces and icons
// give is shorter.
constexpr int kLettersOfALongWord = 12;
// An unsure word of this many letters and digits at least, mostly of them,
// is also kept on the line above or below a sure word: a heading in a
// listing, not the specks of an icon.
constexpr int kLettersOfAWordOnTheNextLine = 3;

// The letters and digits of `text`, and all its characters.
std::pair<int, int> lettersAndDigits(std::string_view text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  int alphanumeric = 0;
  int all = 0;
  for (std::int32_t at = 0; at < length; ++all) {
    UChar32 c = 0;
    U8_NEXT(bytes, at, length, c);
    if (c >= 0 && u_isalnum(c)) ++alphanumeric;
  }
  return {alphanumeric, all};
}

// Mostly letters and digits, or letters and digits parted by single marks: a
// version ("1.2.5.1-2"), a time, an address, whose marks may outnumber its
// digits; what icons read as is symbols side by side or at its ends.
bool ofLettersAndDigits(std::string_view text) {
  const auto [alphanumeric, all] = lettersAndDigits(text);
  if (5 * alphanumeric >= 3 * all) return true;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  bool previousWasMark = true;  // nothing before the first character
  for (std::int32_t at = 0; at < length;) {
    UChar32 c = 0;
    U8_NEXT(bytes, at, length, c);
    const bool mark = c < 0 || !u_isalnum(c);
    if (mark && previousWasMark) return false;
    previousWasMark = mark;
  }
  return !previousWasMark;
}

bool isLongWord(std::string_view text) {
  return lettersAndDigits(text).first >= kLettersOfALongWord && ofLettersAndDigits(text);
}

// One letter, as a window's icon or a button's cross reads.
bool isOneLetter(std::string_view text) {
  const auto [alphanumeric, all] = lettersAndDigits(text);
  if (all != 1 || alphanumeric != 1) return false;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  std::int32_t at = 0;
  UChar32 c = 0;
  U8_NEXT(bytes, at, static_cast<std::int32_t>(text.size()), c);
  return u_isalpha(c);
}

// Whether `b` stands on the row of `a`, at most 20 heights away.
bool onTheRowOf(const BoxedWord& a, const BoxedWord& b) {
  const int lower = std::min(a.bottom - a.top, b.bottom - b.top);
  const int higher = std::max(a.bottom - a.top, b.bottom - b.top);
  const int overlap = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  const int gap = std::max(a.left, b.left) - std::min(a.right, b.right);
  return 2 * overlap > lower && gap <= kHeightsAlongARow * higher;
}

// Whether `b` stands on the line just above or below `a`'s, beside it: a
// listing's "tmux:" over its "Installed: 3.3a-3".
bool onTheNextLineTo(const BoxedWord& a, const BoxedWord& b) {
  const int higher = std::max(a.bottom - a.top, b.bottom - b.top);
  const int between = std::max(a.top, b.top) - std::min(a.bottom, b.bottom);
  const int gap = std::max(a.left, b.left) - std::min(a.right, b.right);
  return between >= 0 && between <= higher && gap <= 2 * higher;
}

std::int64_t area(const BoxedWord& w) {
  return static_cast<std::int64_t>(w.right - w.left) * (w.bottom - w.top);
}

std::int64_t sharedArea(const BoxedWord& a, const BoxedWord& b) {
  const int width = std::min(a.right, b.right) - std::max(a.left, b.left);
  const int height = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return width > 0 && height > 0 ? static_cast<std::int64_t>(width) * height : 0;
}

}  // namespace

std::vector<BoxedWord> sureWords(std::vector<ReadWord> words) {
  std::stable_sort(words.begin(), words.end(), [](const ReadWord& a, const ReadWord& b) {
    return a.confidence > b.confidence;
  });
  // A word goes where most of it lies on a surer one: read twice, or a
  // piece of another's place. A surer word that only covers the end of a
  // longer one ("t.h>" over the box the recogniser gives
  // "<bits/types/__fpos") leaves it.
  std::vector<ReadWord> placed;
  for (ReadWord& word : words) {
    if (std::none_of(placed.begin(), placed.end(), [&](const ReadWord& other) {
          return 2 * sharedArea(other.word, word.word) > area(word.word);
        })) {
      placed.push_back(std::move(word));
    }
  }
  // Phrases, and whether each holds a word that vouches for the others.
  Groups phrases(placed.size());
  for (std::size_t i = 0; i < placed.size(); ++i) {
    for (std::size_t j = i + 1; j < placed.size(); ++j) {
      if (atWordSpacing(placed[i].word, placed[j].word)) phrases.join(i, j);
    }
  }
  // A sure bar or dash, what is left of a frame, vouches for nothing; a long
  // word of letters and digits does, however unsure.
  const auto vouches = [](const ReadWord& word) {
    return (word.confidence >= kSureConfidence && holdsALetterOrDigit(word.word.text)) ||
           (word.confidence >= kLeastConfidence && isLongWord(word.word.text));
  };
  std::vector<bool> sure(placed.size(), false);
  for (std::size_t i = 0; i < placed.size(); ++i) {
    if (vouches(placed[i])) sure[phrases.root(i)] = true;
  }
  std::vector<const ReadWord*> chosen;
  for (std::size_t i = 0; i < placed.size(); ++i) {
    const ReadWord& word = placed[i];
    const bool mayStandOnTheNextLine =
        lettersAndDigits(word.word.text).first >= kLettersOfAWordOnTheNextLine;
    const auto beside = [&](bool onTheNextLineToo) {
      return std::any_of(placed.begin(), placed.end(), [&](const ReadWord& other) {
        return vouches(other) && (onTheRowOf(other.word, word.word) ||
                                  (onTheNextLineToo && onTheNextLineTo(other.word, word.word)));
      });
    };
    // The recogniser's confidence in a word is that in its least sure
    // letter, so a long name ("rcu_exp_par_gp_kthread_worker/0") with one
    // letter misread is as unsure as a speck: on a sure word's row it is a
    // table's cell however unsure, not dropped for its length. On the next
    // line it may be a row of marks read as letters ("^^^^" as "ANAA").
    const bool besideASureWord =
        ofLettersAndDigits(word.word.text) &&
        ((word.confidence >= kLeastConfidence && beside(mayStandOnTheNextLine)) ||
         (isLongWord(word.word.text) && beside(false)));
    if (word.confidence >= kSureConfidence || sure[phrases.root(i)] || besideASureWord) {
      chosen.push_back(&word);
    }
  }
  // A letter alone on its row, however sure, is a window's icon or a
  // button's cross.
  std::vector<BoxedWord> kept;
  for (const ReadWord* word : chosen) {
    const bool alone = isOneLetter(word->word.text) &&
                       std::none_of(chosen.begin(), chosen.end(), [&](const ReadWord* other) {
                         return other != word && onTheRowOf(other->word, word->word);
                       });
    if (!alone) kept.push_back(word->word);
  }
  return kept;
}

void endBoxesAtTheNextWord(std::vector<ReadWord>& words) {
  for (std::size_t i = 0; i + 1 < words.size(); ++i) {
    BoxedWord& word = words[i].word;
    const BoxedWord& next = words[i + 1].word;
    const int overlap = std::min(word.bottom, next.bottom) - std::max(word.top, next.top);
    const int lower = std::min(word.bottom - word.top, next.bottom - next.top);
    if (2 * overlap > lower && next.left > word.left && next.left < word.right) word.right = next.left;
  }
}

std::string withHyphensApart(std::string text) {
  static constexpr std::string_view kEmDash = "\u2014";
  std::string mended;
  std::string_view rest = text;
  while (!rest.empty()) {
    if (!rest.starts_with(kEmDash)) {
      mended += rest.front();
      rest.remove_prefix(1);
      continue;
    }
    rest.remove_prefix(kEmDash.size());
    const bool besideAHyphen = mended.ends_with('-') || rest.starts_with('-');
    mended += besideAHyphen ? "-" : kEmDash;
  }
  return mended;
}

bool holdsALetterOrDigit(std::string_view line) { return lettersAndDigits(line).first > 0; }

}  // namespace mivo::platform
