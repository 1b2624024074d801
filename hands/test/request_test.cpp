#include "hands/request.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace mivo::hands {
namespace {

// One request carrying a member of every JSON type, read by every rule.
const Request& request() {
  static const Request request = Request::parse(R"({
    "string": " Text /\u00e9 ", "empty": "", "digits": "10",
    "integer": 42, "fraction": -0.5, "exponent": 1e3, "big": 9007199254740992,
    "unholdable": 9007199254740993, "huge": 100000000000000000000000000000,
    "true": true, "false": false, "null": null,
    "object": {"x": 1}, "none": [],
    "texts": ["a", "", "b"], "mixed": ["a", 1], "nested": [["a"]],
    "pair": [1.5, -2], "triple": [1, 2, 3], "quad": [0, 0, 10, 20],
    "pair with a string": [1, "2"], "pair with null": [1, null],
    "pair with an unholdable integer": [1, 9007199254740993]
  })");
  return request;
}

TEST(Request, TextIsAStringUnchanged) {
  EXPECT_EQ(request().text("string"), " Text /\xc3\xa9 ");
  EXPECT_EQ(request().text("empty"), "");
  EXPECT_EQ(request().text("digits"), "10");
  for (const char* absent : {"integer", "true", "null", "object", "texts", "missing", "String"}) {
    SCOPED_TRACE(absent);
    EXPECT_EQ(request().text(absent), std::nullopt);
  }
}

TEST(Request, NumberIsAnyNumberADoubleHoldsExactly) {
  const struct {
    const char* name;
    std::optional<double> value;
  } rows[] = {
      {"integer", 42},
      {"fraction", -0.5},
      {"exponent", 1000},
      {"big", 9007199254740992.0},
      {"unholdable", std::nullopt},
      {"huge", std::nullopt},
      {"digits", std::nullopt},
      {"true", std::nullopt},
      {"false", std::nullopt},
      {"null", std::nullopt},
      {"pair", std::nullopt},
      {"missing", std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(request().number(row.name), row.value);
  }
}

TEST(Request, TextsAreAnArrayOfStringsOnly) {
  const struct {
    const char* name;
    std::optional<std::vector<std::string>> value;
  } rows[] = {
      {"texts", std::vector<std::string>{"a", "", "b"}},
      {"none", std::vector<std::string>{}},
      {"mixed", std::nullopt},
      {"nested", std::nullopt},
      {"string", std::nullopt},
      {"missing", std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(request().texts(row.name), row.value);
  }
}

TEST(Request, NumbersAreAnArrayOfExactlyThatManyNumbers) {
  const struct {
    const char* name;
    std::size_t count;
    std::optional<std::vector<double>> value;
  } rows[] = {
      {"pair", 2, std::vector<double>{1.5, -2}},
      {"quad", 4, std::vector<double>{0, 0, 10, 20}},
      {"pair", 4, std::nullopt},
      {"triple", 2, std::nullopt},
      {"quad", 2, std::nullopt},
      {"none", 2, std::nullopt},
      {"pair with a string", 2, std::nullopt},
      {"pair with null", 2, std::nullopt},
      {"pair with an unholdable integer", 2, std::nullopt},
      {"integer", 2, std::nullopt},
      {"missing", 2, std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.name) + " of " + std::to_string(row.count));
    EXPECT_EQ(request().numbers(row.name, row.count), row.value);
  }
}

TEST(Request, RefusesTextsThatAreNoObject) {
  for (const char* text : {"", "[]", "[{}]", "\"do\"", "1", "true", "null", "{} {}", "{\"a\":}"}) {
    SCOPED_TRACE(text);
    EXPECT_THROW(Request::parse(text), foundation::DecodingError);
  }
}

}  // namespace
}  // namespace mivo::hands
