#pragma once

#include <cstddef>
#include <string>

namespace mivo::test {

// Texts the typing tests type, in UTF-8.

// The 94 printable characters of ASCII, U+0021 to U+007E.
std::string printableAscii();

extern const std::string kSentence;
// German, Polish and Danish letters.
extern const std::string kAccentedLatin;
// 35 distinct characters, more than the spare keycodes of Xvfb's map.
extern const std::string kCjk;
// Ten emoji, each outside the Basic Multilingual Plane.
extern const std::string kEmoji;

// The code points of `utf8`.
std::u32string codePoints(const std::string& utf8);

// The first `count` characters of the texts above, taken in turn, with a
// space after each.
std::string mixed(std::size_t count);

}  // namespace mivo::test
