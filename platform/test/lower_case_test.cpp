#include "platform/foundation/lower_case.h"

#include <gtest/gtest.h>

#include <string>

namespace mivo::foundation {
namespace {

TEST(LowerCased, UsesUnicodesFullLowerCasingWithoutALanguage) {
  const struct {
    std::string text;
    std::string lowered;
  } rows[] = {
      {"", ""},
      {"CMD", "cmd"},
      {"Shift + Fn", "shift + fn"},
      {"already", "already"},
      {"\xc3\x89T\xc3\x89", "\xc3\xa9t\xc3\xa9"},                // ÉTÉ: été
      {"\xe2\x84\xaa", "k"},                                     // KELVIN SIGN
      {"\xc4\xb0", "i\xcc\x87"},                                 // İ: i and a combining dot
      {"I", "i"},                                                // no Turkish dotless i
      {"\xce\xa3\xce\x91\xce\xa3", "\xcf\x83\xce\xb1\xcf\x82"},  // ΣΑΣ: σας, final sigma
      {"a\xffz", "a\xef\xbf\xbdz"},                              // not UTF-8: U+FFFD
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(lowerCased(row.text), row.lowered);
  }
}

}  // namespace
}  // namespace mivo::foundation
