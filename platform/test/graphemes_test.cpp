#include "platform/foundation/graphemes.h"

#include <gtest/gtest.h>

#include <string>

namespace mivo::foundation {
namespace {

const std::string kFamily =  // man, woman, girl, boy joined by zero width joiners
    "\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x91\xa7\xe2\x80\x8d"
    "\xf0\x9f\x91\xa6";
const std::string kAccentedE = "e\xcc\x81";                    // e, combining acute accent
const std::string kThumbsUpMedium = "\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd";  // with a skin tone
const std::string kFrenchFlag = "\xf0\x9f\x87\xab\xf0\x9f\x87\xb7";      // two regional indicators

TEST(GraphemeCount, CountsUserPerceivedCharacters) {
  const struct {
    const char* name;
    std::string text;
    std::size_t expected;
  } rows[] = {
      {"empty", "", 0},
      {"ASCII", "abc", 3},
      {"family emoji", kFamily, 1},
      {"letter with a combining accent", kAccentedE, 1},
      {"emoji with a skin tone", kThumbsUpMedium, 1},
      {"flag", kFrenchFlag, 1},
      {"two flags", kFrenchFlag + kFrenchFlag, 2},
      {"CR LF", "\r\n", 1},
      {"LF CR", "\n\r", 2},
      {"Hangul syllable from jamo", "\xe1\x84\x80\xe1\x85\xa1\xe1\x86\xa8", 1},
      {"mixed", "a" + kFamily + kAccentedE + "\r\nz", 5},
      {"a byte that is not UTF-8 counts alone", "a\xff" "b", 3},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(graphemeCount(row.text), row.expected);
  }
}

TEST(GraphemePrefix, CutsAfterWholeCharactersOnly) {
  const struct {
    const char* name;
    std::string text;
    std::size_t count;
    std::string expected;
  } rows[] = {
      {"shorter than the cut", "abc", 5, "abc"},
      {"exactly the cut", "abc", 3, "abc"},
      {"one more than the cut", "abcd", 3, "abc"},
      {"nothing", "abc", 0, ""},
      {"empty text", "", 3, ""},
      {"family emoji at the boundary stays whole", "ab" + kFamily + "c", 3, "ab" + kFamily},
      {"family emoji after the boundary goes whole", "abc" + kFamily, 3, "abc"},
      {"combining accent stays with its letter", "a" + kAccentedE + "b", 2, "a" + kAccentedE},
      {"CR LF at the boundary stays whole", "a\r\nb", 2, "a\r\n"},
      {"CR LF after the boundary goes whole", "a\r\nb", 1, "a"},
      {"skin tone stays with its emoji", kThumbsUpMedium + "x", 1, kThumbsUpMedium},
      {"a flag is not split into its halves", kFrenchFlag + kFrenchFlag, 1, kFrenchFlag},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(graphemePrefix(row.text, row.count), row.expected);
  }
}

TEST(GraphemePrefix, CountsCharactersNotBytesOrCodePointsInALongText) {
  // 5000 characters of several code points each, then one more.
  std::string text;
  for (int i = 0; i < 5000; ++i) text += i % 2 == 0 ? kFamily : kAccentedE;
  const std::string whole = text;
  text += "z";
  EXPECT_EQ(graphemeCount(text), 5001u);
  EXPECT_EQ(graphemePrefix(text, 5000), whole);
  EXPECT_EQ(graphemeCount(graphemePrefix(text, 1500)), 1500u);
}

}  // namespace
}  // namespace mivo::foundation
