#include "see/screenshot_reading.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/generation_error.h"

namespace mivo::see {
namespace {

using platform::GeneratedContent;
using platform::GenerationError;
using platform::ParsingError;

// What a conversion gives, as text: its result, or the error's type, details
// and description.
std::string outcome(const std::function<std::string()>& convert) {
  try {
    return convert();
  } catch (const ParsingError& error) {
    return "ParsingError of " + error.rawContent() + ": " + error.what();
  } catch (const GenerationError& error) {
    const bool decoding = error.errorCase() == GenerationError::Case::decodingFailure;
    return std::string(decoding ? "decodingFailure: " : "another case: ") + error.what();
  }
}

TEST(KindFromGeneratedContent, TakesOnlyTheExactNamesOfTheCases) {
  const struct {
    GeneratedContent content;
    bool macOS27OrLater;
    std::string expected;
  } rows[] = {
      {GeneratedContent::ofString("task"), false, "task"},
      {GeneratedContent::ofString("note"), true, "note"},
      {GeneratedContent::ofString("other"), false, "other"},
      {GeneratedContent::ofString("Task"), false,
       "decodingFailure: Unexpected value \"Task\" for Kind"},
      {GeneratedContent::ofString("Task"), true,
       "ParsingError of \"Task\": Unexpected value \"Task\" for Kind"},
      {GeneratedContent::ofString(" note"), true,
       "ParsingError of \" note\": Unexpected value \" note\" for Kind"},
      {GeneratedContent::ofString(""), false, "decodingFailure: Unexpected value \"\" for Kind"},
      {GeneratedContent::ofNumber(1), true,
       "decodingFailure: the generated content 1.0 is not a string"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.content.jsonString() + (row.macOS27OrLater ? " on 27" : " on 26"));
    EXPECT_EQ(outcome([&] {
                return std::string(
                    kindName(kindFromGeneratedContent(row.content, row.macOS27OrLater)));
              }),
              row.expected);
  }
}

TEST(ScreenshotReading, WritesItsGeneratedContentWithTheOptionalPropertiesOnlyWhenPresent) {
  const struct {
    ScreenshotReading reading;
    std::string json;
  } rows[] = {
      {{Kind::task, "Water bill", "Pay it.", "Pay", "2025-03-07"},
       R"({"kind":"task","title":"Water bill","summary":"Pay it.","todo":"Pay","due":"2025-03-07"})"},
      {{Kind::note, "Recipe", "", std::nullopt, std::nullopt},
       R"({"kind":"note","title":"Recipe","summary":""})"},
      {{Kind::other, "", "S", std::nullopt, "2025-03-07"},
       R"({"kind":"other","title":"","summary":"S","due":"2025-03-07"})"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.json);
    const GeneratedContent content = row.reading.generatedContent();
    EXPECT_EQ(content.jsonString(), row.json);
    EXPECT_FALSE(content.id().has_value());
    // And it reads back as what it was made from.
    const ScreenshotReading back = ScreenshotReading::fromGeneratedContent(content, false);
    EXPECT_EQ(back.generatedContent().jsonString(), row.json);
  }
}

TEST(ScreenshotReadingPartiallyGenerated, ReadsWhatIsThereAndKeepsOrMakesTheId) {
  const platform::GenerationID id;
  const GeneratedContent withId = GeneratedContent::ofProperties(
      {{"kind", GeneratedContent::ofString("note")}, {"todo", GeneratedContent::null()}}, id);
  const auto partial = ScreenshotReading::PartiallyGenerated::fromGeneratedContent(withId, true);
  EXPECT_TRUE(partial.id == id);
  EXPECT_EQ(partial.kind, Kind::note);
  EXPECT_EQ(partial.title, std::nullopt);
  EXPECT_EQ(partial.todo, std::nullopt);

  const GeneratedContent withoutId =
      GeneratedContent::ofProperties({{"title", GeneratedContent::ofString("T")}});
  const auto first = ScreenshotReading::PartiallyGenerated::fromGeneratedContent(withoutId, true);
  const auto second = ScreenshotReading::PartiallyGenerated::fromGeneratedContent(withoutId, true);
  EXPECT_FALSE(first.id == second.id);
  EXPECT_EQ(first.kind, std::nullopt);
  EXPECT_EQ(first.title, "T");

  const GeneratedContent unknownKind =
      GeneratedContent::ofProperties({{"kind", GeneratedContent::ofString("Task")}});
  EXPECT_EQ(outcome([&] {
              ScreenshotReading::PartiallyGenerated::fromGeneratedContent(unknownKind, false);
              return std::string("read");
            }),
            "decodingFailure: Unexpected value \"Task\" for Kind");
}

}  // namespace
}  // namespace mivo::see
