#include "platform/foundation/json_value.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace mivo::foundation {
namespace {

TEST(JsonDocument, ReadsOneJsonTextStrictly) {
  const struct {
    const char* name;
    std::string text;
    bool accepted;
  } rows[] = {
      {"an object", R"({"a":1})", true},
      {"white space around it", " \n{\"a\":1}\t\r\n", true},
      {"an array", "[1,\"a\",null]", true},
      {"a scalar", "\"a\"", true},
      {"empty", "", false},
      {"only white space", "  ", false},
      {"trailing text", R"({"a":1}x)", false},
      {"two texts", "{}{}", false},
      {"a comment", R"({"a":1 /* no */})", false},
      {"a line comment", "{\"a\":1} // no", false},
      {"a trailing comma", "[1,]", false},
      {"a NUL byte after the value", std::string("{}\0{", 4), false},
      {"invalid UTF-8", "[\"\xc3\x28\"]", false},
      {"an overlong form", "[\"\xc0\xaf\"]", false},
      {"a number beyond the double range", "[1e400]", true},
      {"an integer of 401 digits", "[1" + std::string(400, '0') + "]", true},
      {"a malformed number beyond the range", "[01e400]", false},
      {"NaN", "[NaN]", false},
      {"a leading zero", "[01]", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.accepted) {
      EXPECT_NO_THROW(JsonDocument::parse(row.text));
    } else {
      EXPECT_THROW(JsonDocument::parse(row.text), DecodingError);
    }
  }
}

// The number of the one element of the array `text`.
std::optional<double> numberIn(const std::string& text) {
  const JsonDocument document = JsonDocument::parse(text);
  return document.root().elements()->at(0).number();
}

TEST(JsonValue, ANumberIsADoubleUnlessItIsAnIntegerNoDoubleHolds) {
  const struct {
    std::string text;
    std::optional<double> number;
  } rows[] = {
      {"[0]", 0},
      {"[-0]", 0},
      {"[1.5]", 1.5},
      {"[-2.5e-3]", -0.0025},
      {"[1E2]", 100},
      {"[1e-400]", 0},
      // A fraction is rounded like any other: only integers must be exact.
      {"[9007199254740993.0]", 9007199254740992.0},
      {"[9007199254740992]", 9007199254740992.0},
      {"[9007199254740993]", std::nullopt},
      {"[-9007199254740993]", std::nullopt},
      {"[9223372036854775807]", std::nullopt},
      {"[-9223372036854775808]", -9223372036854775808.0},
      {"[18446744073709551615]", std::nullopt},
      {"[18446744073709551616]", 18446744073709551616.0},
      {"[-9223372036854775809]", std::nullopt},
      {"[100000000000000000000000000000]", std::nullopt},
      {"[1e29]", 1e29},
      {"[1.7976931348623157e308]", 1.7976931348623157e308},
      {"[1" + std::string(300, '0') + "]", std::nullopt},
      {"[1e308]", 1e308},
      {"[1e309]", std::nullopt},
      {"[-1E+400]", std::nullopt},
      {"[1" + std::string(400, '0') + "]", std::nullopt},
      {"[true]", std::nullopt},
      {"[\"1\"]", std::nullopt},
      {"[null]", std::nullopt},
      {"[[1]]", std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(numberIn(row.text), row.number);
  }
}

TEST(JsonValue, NumbersBeyondTheRangeLeaveTheOthersAsTheyAre) {
  // The replaced literals read as 0 to the parser: the real zeros and the
  // numbers after them must keep their own values.
  const JsonDocument document =
      JsonDocument::parse(R"({"a":[1e400,0,"1e400",-0.5e999],"b":0,"c":{"d":1e-999,"e":7}})");
  const JsonValue root = document.root();
  const auto a = root.member("a")->elements();
  ASSERT_TRUE(a);
  ASSERT_EQ(a->size(), 4u);
  EXPECT_EQ(a->at(0).number(), std::nullopt);
  EXPECT_EQ(a->at(1).number(), 0);
  EXPECT_EQ(a->at(2).string(), "1e400");
  EXPECT_EQ(a->at(3).number(), std::nullopt);
  EXPECT_EQ(root.member("b")->number(), 0);
  EXPECT_EQ(root.member("c")->member("d")->number(), 0);
  EXPECT_EQ(root.member("c")->member("e")->number(), 7);
}

TEST(JsonValue, LooksUpMembersByExactNameTheLaterOneCounting) {
  const JsonDocument document =
      JsonDocument::parse(R"({"a":"first","a":"second","B":"b","n":{"a":"inner"}})");
  const JsonValue root = document.root();
  EXPECT_TRUE(root.isObject());
  EXPECT_EQ(root.member("a")->string(), "second");
  EXPECT_EQ(root.member("B")->string(), "b");
  EXPECT_EQ(root.member("b"), std::nullopt);
  EXPECT_EQ(root.member("A"), std::nullopt);
  EXPECT_EQ(root.member("n")->member("a")->string(), "inner");
  EXPECT_EQ(root.member("a")->member("a"), std::nullopt);
  EXPECT_EQ(root.member("n")->string(), std::nullopt);
  EXPECT_EQ(root.elements(), std::nullopt);
}

TEST(JsonValue, GivesTheElementsOfAnArrayInOrder) {
  const JsonDocument document = JsonDocument::parse(R"([["x",2],"a\/b",{},[]])");
  const auto elements = document.root().elements();
  ASSERT_TRUE(elements);
  ASSERT_EQ(elements->size(), 4u);
  EXPECT_EQ(elements->at(0).elements()->at(0).string(), "x");
  EXPECT_EQ(elements->at(0).elements()->at(1).number(), 2);
  EXPECT_EQ(elements->at(1).string(), "a/b");
  EXPECT_TRUE(elements->at(2).isObject());
  EXPECT_EQ(elements->at(3).elements()->size(), 0u);
  EXPECT_FALSE(document.root().isObject());
}

TEST(JsonDocument, HoldsDeepNestingWithoutRunningOutOfStack) {
  const std::size_t depth = 1'000'000;
  const JsonDocument document =
      JsonDocument::parse(std::string(depth, '[') + std::string(depth, ']'));
  EXPECT_EQ(document.root().elements()->size(), 1u);
}

}  // namespace
}  // namespace mivo::foundation
