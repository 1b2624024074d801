#include "platform/foundation/json_numbers_beyond_range.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mivo::foundation {
namespace {

TEST(ReplaceNumbersBeyondRange, ReplacesOnlyWellFormedLiteralsBeyondTheRangeOutsideStrings) {
  const std::string digits401 = "1" + std::string(400, '0');
  const struct {
    const char* name;
    std::string text;
    std::string replaced;
    std::vector<std::size_t> places;
  } rows[] = {
      {"nothing beyond", R"({"a":1,"b":[2.5,-3e2]})", R"({"a":1,"b":[2.5,-3e2]})", {}},
      {"an exponent", R"({"a":1e400})", R"({"a":0})", {0}},
      {"its place among the numbers", "[1,2,1e400,3,-1E+999]", "[1,2,0,3,0]", {2, 4}},
      {"an integer of 401 digits", "[" + digits401 + "]", "[0]", {0}},
      {"an integer of 310 digits", "[1" + std::string(309, '0') + "]", "[0]", {0}},
      {"an integer of 309 digits",
       "[1" + std::string(308, '0') + "]",
       "[1" + std::string(308, '0') + "]",
       {}},
      {"keywords are no numbers", "[true,1e400,false,null,1e400]", "[true,0,false,null,0]", {0, 1}},
      {"the largest double", "[1.7976931348623157e308]", "[1.7976931348623157e308]", {}},
      {"a fraction beyond", "[-17976931348623159.0e292]", "[0]", {0}},
      {"underflow is no overflow", "[1e-400]", "[1e-400]", {}},
      {"inside a string", R"(["1e400","\"1e400",1e400])", R"(["1e400","\"1e400",0])", {0}},
      {"escaped backslash before a quote", R"(["\\",1e400])", R"(["\\",0])", {0}},
      {"a number as a whole text", "1e400", "0", {0}},
      {"white space around", " 1e400 ", " 0 ", {0}},
      {"a leading zero", "[01e400]", "[01e400]", {}},
      {"no digit after the point", "[1.e400]", "[1.e400]", {}},
      {"two signs", "[--1e400]", "[--1e400]", {}},
      {"a plus sign first", "[+1e400]", "[+1e400]", {}},
      {"more after the exponent", "[1e400e5]", "[1e400e5]", {}},
      {"an unclosed string", R"(["1e400)", R"(["1e400)", {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const NumbersBeyondRange result = replaceNumbersBeyondRange(row.text);
    EXPECT_EQ(result.text, row.replaced);
    EXPECT_EQ(result.places, row.places);
  }
}

}  // namespace
}  // namespace mivo::foundation
