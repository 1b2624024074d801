#include "see/screenshot_reading.h"

namespace mivo::see {
namespace {

using platform::GeneratedContent;
using platform::GenerationSchema;

constexpr std::string_view kKindDescription = "task, note or other, as the instructions define them";
constexpr std::string_view kTitleDescription =
    "A short, specific title of 2 to 8 words that says what the screenshot is about, in the "
    "language of its text.";
constexpr std::string_view kSummaryDescription =
    "One or two plain sentences: what the screenshot shows, and for a task why it needs doing.";
constexpr std::string_view kTodoDescription =
    "Only for a task: the one thing to do, verb first and specific, e.g. \"Pay the \u20ac84 water "
    "bill\" or \"Reply to Marvek about Friday's dinner\".";
constexpr std::string_view kDueDescription =
    "Only for a task whose screenshot names a deadline or a date for it: that date as YYYY-MM-DD.";

GenerationSchema::Property property(std::string_view name, std::string_view description,
                                     GenerationSchema type, bool isOptional = false) {
  return {.name = std::string(name),
          .description = std::string(description),
          .type = std::move(type),
          .isOptional = isOptional};
}

std::optional<std::string> optionalString(const GeneratedContent& content, std::string_view name) {
  const GeneratedContent* value = content.optionalProperty(name);
  if (value == nullptr) return std::nullopt;
  return value->stringValue();
}

}  // namespace

GenerationSchema ScreenshotReading::generationSchema() {
  const GenerationSchema string = platform::stringGenerationSchema();
  return {.type = "ScreenshotReading",
          .properties = {
              property("kind", kKindDescription, kindGenerationSchema()),
              property("title", kTitleDescription, string),
              property("summary", kSummaryDescription, string),
              property("todo", kTodoDescription, string, /*isOptional=*/true),
              property("due", kDueDescription, string, /*isOptional=*/true),
          }};
}

ScreenshotReading ScreenshotReading::fromGeneratedContent(const GeneratedContent& content,
                                                          bool macOS27OrLater) {
  ScreenshotReading reading;
  reading.kind = kindFromGeneratedContent(content.requiredProperty("kind"), macOS27OrLater);
  reading.title = content.requiredProperty("title").stringValue();
  reading.summary = content.requiredProperty("summary").stringValue();
  reading.todo = optionalString(content, "todo");
  reading.due = optionalString(content, "due");
  return reading;
}

GeneratedContent ScreenshotReading::generatedContent() const {
  GeneratedContent::Properties properties = {
      {"kind", kindGeneratedContent(kind)},
      {"title", GeneratedContent::ofString(title)},
      {"summary", GeneratedContent::ofString(summary)},
  };
  if (todo) properties.push_back({"todo", GeneratedContent::ofString(*todo)});
  if (due) properties.push_back({"due", GeneratedContent::ofString(*due)});
  return GeneratedContent::ofProperties(std::move(properties));
}

ScreenshotReading::PartiallyGenerated ScreenshotReading::PartiallyGenerated::fromGeneratedContent(
    const GeneratedContent& content, bool macOS27OrLater) {
  PartiallyGenerated partial;
  if (content.id()) partial.id = *content.id();
  if (const GeneratedContent* kind = content.optionalProperty("kind")) {
    partial.kind = kindFromGeneratedContent(*kind, macOS27OrLater);
  }
  partial.title = optionalString(content, "title");
  partial.summary = optionalString(content, "summary");
  partial.todo = optionalString(content, "todo");
  partial.due = optionalString(content, "due");
  return partial;
}

}  // namespace mivo::see
