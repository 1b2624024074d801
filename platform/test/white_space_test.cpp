#include "platform/foundation/white_space.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include <string>

namespace mivo::foundation {
namespace {

TEST(WhiteSpaceSet, IsTheSeparatorClassesAndTheControlsOfTheSetForEveryCodePoint) {
  for (UChar32 c = 0; c <= 0x10FFFF; ++c) {
    const auto type = static_cast<UCharCategory>(u_charType(c));
    const bool expected = type == U_SPACE_SEPARATOR || type == U_LINE_SEPARATOR ||
                          type == U_PARAGRAPH_SEPARATOR || (c >= 0x09 && c <= 0x0D) || c == 0x85;
    ASSERT_EQ(isWhiteSpaceOrNewline(static_cast<char32_t>(c)), expected) << std::hex << c;
  }
}

TEST(SpaceSeparatorsAndTab, AreTheSpaceSeparatorClassAndTheTabForEveryCodePoint) {
  for (UChar32 c = 0; c <= 0x10FFFF; ++c) {
    const bool expected = u_charType(c) == U_SPACE_SEPARATOR || c == 0x09;
    ASSERT_EQ(isSpaceSeparatorOrTab(static_cast<char32_t>(c)), expected) << std::hex << c;
  }
}

TEST(TrimSpaceSeparatorsAndTab, TrimsThemAtBothEndsAndNoLineBreak) {
  const struct {
    const char* name;
    std::string text;
    std::string expected;
  } rows[] = {
      {"spaces, a tab, a no-break and an ideographic space",
       " \t\xc2\xa0"
       "a b\xe3\x80\x80 ",
       "a b"},
      {"a line feed stays", "\nctrl ", "\nctrl"},
      {"a carriage return and a line separator stay", "a\r\xe2\x80\xa8", "a\r\xe2\x80\xa8"},
      {"only blanks", " \t ", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(trimSpaceSeparatorsAndTab(row.text), row.expected);
  }
}

TEST(TrimWhiteSpaceAndNewlines, TrimsBothEndsOnly) {
  const struct {
    const char* name;
    std::string text;
    std::string expected;
  } rows[] = {
      {"empty", "", ""},
      {"spaces and line feeds only", "  \n \n", ""},
      {"ideographic space, no-break space, paragraph separator, next line",
       "\xe3\x80\x80\xc2\xa0\xe2\x80\xa9\xc2\x85", ""},
      {"tab, vertical tab, form feed, carriage return, line separator", "\t\v\f\r\xe2\x80\xa8", ""},
      {"zero width space is kept", "\xe2\x80\x8b", "\xe2\x80\x8b"},
      {"byte order mark is kept", "\xef\xbb\xbf", "\xef\xbb\xbf"},
      {"both ends", " \n a  b \xe3\x80\x80\n", "a  b"},
      {"inner line feeds stay", "a\n\nb", "a\n\nb"},
      {"a byte that is not UTF-8 is kept", " \xff ", "\xff"},
      {"NUL is kept", std::string(" \0 ", 3), std::string("\0", 1)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(trimWhiteSpaceAndNewlines(row.text), row.expected);
  }
}

}  // namespace
}  // namespace mivo::foundation
