#pragma once

#include <optional>
#include <string>

#include "platform/generated_content.h"
#include "platform/generation_schema.h"

namespace mivo::title {

// What the model is asked to generate for a voice-note title.
struct NoteTitle {
  // The partial form that the generable-type contract asks for. Generations
  // are never streamed here, so no run makes one.
  struct PartiallyGenerated {
    platform::GenerationID id;
    std::optional<std::string> title;

    // The content's id, or a new one; the title when it is there.
    static PartiallyGenerated fromGeneratedContent(const platform::GeneratedContent& content);
  };

  std::string title;

  static platform::GenerationSchema generationSchema();
  // Raises the content's error when "title" is missing or not a string.
  static NoteTitle fromGeneratedContent(const platform::GeneratedContent& content);
  platform::GeneratedContent generatedContent() const;
};

}  // namespace mivo::title
