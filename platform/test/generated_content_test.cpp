#include "platform/generated_content.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/generation_error.h"

namespace mivo::platform {
namespace {

using Content = GeneratedContent;

TEST(GeneratedContent, WritesItselfAsCompactJsonInPropertyOrder) {
  const struct {
    const char* name;
    Content content;
    std::string json;
  } rows[] = {
      {"null", Content::null(), "null"},
      {"boolean", Content::ofBoolean(true), "true"},
      {"whole number", Content::ofNumber(5), "5.0"},
      {"string with a quote", Content::ofString("say \"hi\""), R"("say \"hi\"")"},
      {"string that is not UTF-8", Content::ofString("caf\xe9"), "\"caf\xef\xbf\xbd\""},
      {"elements", Content::ofElements({Content::ofString("a"), Content::null()}),
       R"(["a",null])"},
      {"properties in the order given",
       Content::ofProperties({{"z", Content::ofString("1")}, {"a", Content::ofString("2")}}),
       R"({"z":"1","a":"2"})"},
      {"a repeated name keeps its first place and its last value",
       Content::ofProperties({{"kind", Content::ofString("task")},
                              {"title", Content::ofString("T")},
                              {"kind", Content::ofString("note")}}),
       R"({"kind":"note","title":"T"})"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.content.jsonString(), row.json);
  }
}

// What a read gives, as text: "value: ...", "absent", or the description of
// the decoding failure it raises.
std::string outcome(const std::function<std::optional<std::string>()>& read) {
  try {
    const std::optional<std::string> value = read();
    return value ? "value: " + *value : "absent";
  } catch (const GenerationError& error) {
    if (error.errorCase() != GenerationError::Case::decodingFailure) return "another case";
    return error.what();
  }
}

std::optional<std::string> optionalString(const Content& content, const char* name) {
  const Content* property = content.optionalProperty(name);
  if (property == nullptr) return std::nullopt;
  return property->stringValue();
}

TEST(GeneratedContent, ReadsStringsAndPropertiesOrRaisesADecodingFailure) {
  const Content reply = Content::ofProperties({
      {"title", Content::ofString("Water bill")},
      {"todo", Content::null()},
      {"count", Content::ofNumber(2)},
  });
  const struct {
    const char* name;
    std::function<std::optional<std::string>()> read;
    std::string expected;
  } rows[] = {
      {"required string", [&] { return reply.requiredProperty("title").stringValue(); },
       "value: Water bill"},
      {"optional string", [&] { return optionalString(reply, "title"); }, "value: Water bill"},
      {"optional and null", [&] { return optionalString(reply, "todo"); }, "absent"},
      {"optional and missing", [&] { return optionalString(reply, "due"); }, "absent"},
      {"required and missing", [&] { return reply.requiredProperty("summary").stringValue(); },
       R"(the generated content {"title":"Water bill","todo":null,"count":2.0} has no property "summary")"},
      {"required and null", [&] { return reply.requiredProperty("todo").stringValue(); },
       "the generated content null is not a string"},
      {"a number for a string", [&] { return optionalString(reply, "count"); },
       "the generated content 2.0 is not a string"},
      {"a property of a string",
       [&] { return Content::ofString("x").requiredProperty("title").stringValue(); },
       R"(the generated content "x" has no properties)"},
      {"an optional property of an array",
       [&] { return optionalString(Content::ofElements({}), "title"); },
       "the generated content [] has no properties"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(outcome(row.read), row.expected);
  }
}

TEST(GenerationID, IsNewEachTimeAndKeptByTheContentThatCarriesIt) {
  const GenerationID first;
  const GenerationID second;
  EXPECT_FALSE(first == second);
  const Content content = Content::ofProperties({}, first);
  ASSERT_TRUE(content.id().has_value());
  EXPECT_TRUE(*content.id() == first);
  EXPECT_FALSE(Content::ofProperties({}).id().has_value());
}

}  // namespace
}  // namespace mivo::platform
