#include "title/edited_paragraph.h"

namespace mivo::title {
namespace {

using platform::GeneratedContent;

constexpr std::string_view kTextDescription =
    "The paragraph, lightly edited: the same sentences in the speaker's own words, only the "
    "obvious mistakes removed and the obvious corrections made.";

}  // namespace

platform::GenerationSchema EditedParagraph::generationSchema() {
  return {.type = "EditedParagraph",
          .properties = {{.name = "text",
                          .description = std::string(kTextDescription),
                          .type = platform::stringGenerationSchema()}}};
}

EditedParagraph EditedParagraph::fromGeneratedContent(const GeneratedContent& content) {
  return {.text = content.requiredProperty("text").stringValue()};
}

GeneratedContent EditedParagraph::generatedContent() const {
  return GeneratedContent::ofProperties({{"text", GeneratedContent::ofString(text)}});
}

EditedParagraph::PartiallyGenerated EditedParagraph::PartiallyGenerated::fromGeneratedContent(
    const GeneratedContent& content) {
  PartiallyGenerated partial;
  if (content.id()) partial.id = *content.id();
  if (const GeneratedContent* text = content.optionalProperty("text")) {
    partial.text = text->stringValue();
  }
  return partial;
}

}  // namespace mivo::title
