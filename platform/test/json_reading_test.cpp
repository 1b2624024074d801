#include "platform/foundation/json_reading.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace mivo::foundation {
namespace {

TEST(JsonObjectParse, RefusesEverythingButOneJsonObject) {
  const std::string deep_array = std::string(100000, '[') + std::string(100000, ']');
  const struct {
    const char* name;
    std::string text;
  } rows[] = {
      {"empty", ""},
      {"only white space", " \n\t"},
      {"array", "[]"},
      {"string", "\"{}\""},
      {"number", "1"},
      {"null", "null"},
      {"deeply nested array", deep_array},
      {"second value", "{} {}"},
      {"trailing text", "{}x"},
      {"trailing comma", "{\"a\":1,}"},
      {"single quotes", "{'a':1}"},
      {"comment before", "/* c */ {}"},
      {"comment after", "{} // c"},
      {"unclosed", "{\"a\":1"},
      {"invalid UTF-8 byte in a string", "{\"a\":\"\xff\"}"},
      {"overlong UTF-8 in a string", "{\"a\":\"\xc0\xaf\"}"},
      {"UTF-8 surrogate in a string", "{\"a\":\"\xed\xa0\x80\"}"},
      {"lone escaped surrogate", "{\"a\":\"\\ud800\"}"},
      {"raw control character in a string", "{\"a\":\"\x01\"}"},
      {"NUL after the object", std::string("{}\0", 3)},
      {"NUL and a second object after the object", std::string("{}\0{}", 5)},
      {"byte-order mark after white space", " \xef\xbb\xbf{}"},
      {"two byte-order marks", "\xef\xbb\xbf\xef\xbb\xbf{}"},
      {"byte-order mark after the object", "{}\xef\xbb\xbf"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_THROW(JsonObject::parse(row.text), DecodingError);
  }
}

TEST(JsonObjectParse, AcceptsAnObjectWithWhiteSpaceAroundAndAnythingInOtherMembers) {
  const std::string deep_member =
      "{\"x\":" + std::string(100000, '[') + std::string(100000, ']') + ",\"file\":\"a\"}";
  const std::string rows[] = {
      "{}",
      " \r\n\t{\"file\":\"a\"}\n",
      "\xef\xbb\xbf {\"file\":\"a\"}",
      deep_member,
      R"({"x":1e400,"y":[-1E+999],"file":"a"})",
      "{\"x\":1" + std::string(400, '0') + "}",
  };
  for (const std::string& text : rows) {
    SCOPED_TRACE(text.substr(0, 20));
    EXPECT_NO_THROW(JsonObject::parse(text));
  }
}

TEST(JsonObjectRequiredString, GivesOnlyAStringMemberOfExactlyThatName) {
  const struct {
    const char* request;
    std::optional<std::string> expected;  // none: refused
  } rows[] = {
      {R"({"file":"a.png"})", "a.png"},
      {R"({"file":""})", ""},
      {R"({"file":"caf\u00e9 \/ \"x\" \n"})", "caf\xc3\xa9 / \"x\" \n"},
      {R"({"file":"\ud83d\ude00"})", "\xf0\x9f\x98\x80"},
      {R"({"other":1,"file":"a"})", "a"},
      {R"({})", std::nullopt},
      {R"({"file":null})", std::nullopt},
      {R"({"file":1})", std::nullopt},
      {R"({"file":1e400})", std::nullopt},
      {R"({"file":true})", std::nullopt},
      {R"({"file":["a"]})", std::nullopt},
      {R"({"file":{"a":"b"}})", std::nullopt},
      {R"({"File":"a"})", std::nullopt},
      {R"({"file ":"a"})", std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.request);
    const JsonObject object = JsonObject::parse(row.request);
    if (row.expected) {
      EXPECT_EQ(object.requiredString("file"), *row.expected);
    } else {
      EXPECT_THROW(object.requiredString("file"), DecodingError);
    }
  }
}

TEST(JsonObjectOptionalBoolean, TakesMissingAndNullAsNoneAndRefusesOtherTypes) {
  const struct {
    const char* request;
    bool refused;
    std::optional<bool> expected;
  } rows[] = {
      {R"({"sort":true})", false, true},
      {R"({"sort":false})", false, false},
      {R"({})", false, std::nullopt},
      {R"({"sort":null})", false, std::nullopt},
      {R"({"Sort":false})", false, std::nullopt},
      {R"({"sort":"false"})", true, std::nullopt},
      {R"({"sort":"true"})", true, std::nullopt},
      {R"({"sort":0})", true, std::nullopt},
      {R"({"sort":1})", true, std::nullopt},
      {R"({"sort":1e400})", true, std::nullopt},
      {R"({"sort":[]})", true, std::nullopt},
      {R"({"sort":{}})", true, std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.request);
    const JsonObject object = JsonObject::parse(row.request);
    if (row.refused) {
      EXPECT_THROW(object.optionalBoolean("sort"), DecodingError);
    } else {
      EXPECT_EQ(object.optionalBoolean("sort"), row.expected);
    }
  }
}

}  // namespace
}  // namespace mivo::foundation
