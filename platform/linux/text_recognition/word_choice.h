#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/text_recognition/visual_lines.h"

namespace mivo::platform {

// A word as the recogniser read it, with its confidence in it (0 to 100).
struct ReadWord {
  BoxedWord word;
  float confidence;
};

// The words to keep: of two words on one place (sharing half the smaller
// one's box), the surer one; and a word the recogniser is less than half sure
// of only on a phrase with a word it is at least half sure of, the words of a
// phrase following each other on their line at word spacing, or, if it is a
// fifth sure or more and of letters and digits (mostly, or parted by single
// marks: a version, a time), on the row of such a word at most 20 of their
// heights away: what it reads in clock faces, icons and window buttons comes
// alone or beside its like, and is mostly symbols beside text; a name or code
// word it does not know stands beside words it knows, a table's cell, a
// version or a price on their row. A long word of letters and digits
// (a path, an address) is kept alone, unsure, and vouches for its phrase; on
// the row of a sure word it is kept however unsure (a process's name); a
// single letter alone on its row (a window's icon) is dropped, however sure.
std::vector<BoxedWord> sureWords(std::vector<ReadWord> words);

// Mends the boxes of `words`, read in one go and in the order read: a word
// whose box reaches over the next word on its line ends where that one
// begins. The recogniser gives the first of the words it splits a run of
// letters into ("invoices.append(json.load(file))") the box of the whole run,
// which then lies on the words after it, and the less sure of them go.
void endBoxesAtTheNextWord(std::vector<ReadWord>& words);

// `text` with each em dash that stands beside a hyphen made a hyphen: the
// recogniser reads two hyphens close together, as terminals draw the "--" of
// an option, as an em dash and a hyphen ("—-delete"), which nobody types.
std::string withHyphensApart(std::string text);

// Whether `line` holds a letter or a digit of any script, not only
// punctuation and symbols.
bool holdsALetterOrDigit(std::string_view line);

}  // namespace mivo::platform
