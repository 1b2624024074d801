#pragma once

#include <optional>
#include <string>

#include "platform/generated_content.h"
#include "platform/generation_schema.h"

namespace mivo::title {

// What the model is asked to generate for one edited paragraph.
struct EditedParagraph {
  // The partial form that the generable-type contract asks for. Generations
  // are never streamed here, so no run makes one.
  struct PartiallyGenerated {
    platform::GenerationID id;
    std::optional<std::string> text;

    // The content's id, or a new one; the text when it is there.
    static PartiallyGenerated fromGeneratedContent(const platform::GeneratedContent& content);
  };

  std::string text;

  static platform::GenerationSchema generationSchema();
  // Raises the content's error when "text" is missing or not a string.
  static EditedParagraph fromGeneratedContent(const platform::GeneratedContent& content);
  platform::GeneratedContent generatedContent() const;
};

}  // namespace mivo::title
