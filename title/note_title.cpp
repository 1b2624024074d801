#include "title/note_title.h"

namespace mivo::title {
namespace {

using platform::GeneratedContent;

constexpr std::string_view kTitleDescription =
    "A short, specific title of 2 to 8 words that says what the recording is about, in the "
    "language of the recording.";

}  // namespace

platform::GenerationSchema NoteTitle::generationSchema() {
  return {.type = "NoteTitle",
          .properties = {{.name = "title",
                          .description = std::string(kTitleDescription),
                          .type = platform::stringGenerationSchema()}}};
}

NoteTitle NoteTitle::fromGeneratedContent(const GeneratedContent& content) {
  return {.title = content.requiredProperty("title").stringValue()};
}

GeneratedContent NoteTitle::generatedContent() const {
  return GeneratedContent::ofProperties({{"title", GeneratedContent::ofString(title)}});
}

NoteTitle::PartiallyGenerated NoteTitle::PartiallyGenerated::fromGeneratedContent(
    const GeneratedContent& content) {
  PartiallyGenerated partial;
  if (content.id()) partial.id = *content.id();
  if (const GeneratedContent* title = content.optionalProperty("title")) {
    partial.title = title->stringValue();
  }
  return partial;
}

}  // namespace mivo::title
