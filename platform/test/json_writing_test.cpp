#include "platform/foundation/json_writing.h"

#include <gtest/gtest.h>

#include <string>

namespace mivo::foundation {
namespace {

std::string written(std::string_view value) {
  JsonObjectWriter object;
  object.addString("v", value);
  return object.text();
}

TEST(JsonObjectWriter, EscapesOnlyWhatJsonNeedsAndTheSolidus) {
  const struct {
    std::string value;
    std::string expected;
  } rows[] = {
      {"", R"({"v":""})"},
      {"plain text", R"({"v":"plain text"})"},
      {"https://a.example/b", R"({"v":"https:\/\/a.example\/b"})"},
      {"say \"hi\"", R"({"v":"say \"hi\""})"},
      {"C:\\dir", R"({"v":"C:\\dir"})"},
      {"a\nb\rc\td\be\ff", R"({"v":"a\nb\rc\td\be\ff"})"},
      {std::string("\0\x01\x1f", 3), R"({"v":"\u0000\u0001\u001f"})"},
      {"\x7f", "{\"v\":\"\x7f\"}"},
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80",
       "{\"v\":\"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80\"}"},
      {"\xe2\x80\xa8\xe2\x80\xa9", "{\"v\":\"\xe2\x80\xa8\xe2\x80\xa9\"}"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.expected);
    EXPECT_EQ(written(row.value), row.expected);
  }
}

TEST(JsonObjectWriter, RefusesTextThatIsNotUtf8) {
  const struct {
    const char* name;
    std::string value;
  } rows[] = {
      {"stray byte", "ok\xff"},         {"lone continuation byte", "\x80"},
      {"overlong solidus", "\xc0\xaf"}, {"overlong three-byte form", "\xe0\x80\xaf"},
      {"surrogate", "\xed\xa0\x80"},    {"beyond U+10FFFF", "\xf4\x90\x80\x80"},
      {"cut short", "\xe2\x82"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    try {
      written(row.value);
      ADD_FAILURE() << "written";
    } catch (const EncodingError& error) {
      EXPECT_STREQ(error.what(), "cannot write a string that is not valid UTF-8 as JSON");
    }
  }
}

TEST(JsonObjectWriter, WritesMembersInOrderWithNoWhiteSpaceBetweenTokens) {
  JsonObjectWriter inner;
  inner.addString("kind", "note");
  inner.addString("a/b", "c");
  JsonObjectWriter outer;
  outer.addString("z", "1");
  outer.addObject("inner", inner);
  outer.addObject("empty", JsonObjectWriter());
  outer.addString("a", "2");
  EXPECT_EQ(outer.text(), R"({"z":"1","inner":{"kind":"note","a\/b":"c"},"empty":{},"a":"2"})");
}

}  // namespace
}  // namespace mivo::foundation
