#pragma once

#include <optional>
#include <string>

#include "platform/generated_content.h"
#include "platform/generation_schema.h"
#include "see/kind.h"

namespace mivo::see {

// What the model is asked to generate for a screenshot. `macOS27OrLater` picks
// the error that an unknown kind raises (kindFromGeneratedContent).
struct ScreenshotReading {
  // The partial form that the generable-type contract asks for. Generations
  // are never streamed here, so no run makes one.
  struct PartiallyGenerated {
    platform::GenerationID id;
    std::optional<Kind> kind;
    std::optional<std::string> title;
    std::optional<std::string> summary;
    std::optional<std::string> todo;
    std::optional<std::string> due;

    // Every property read in its optional form; the content's id, or a new one.
    static PartiallyGenerated fromGeneratedContent(const platform::GeneratedContent& content,
                                                   bool macOS27OrLater);
  };

  Kind kind = Kind::other;
  std::string title;
  std::string summary;
  std::optional<std::string> todo;
  std::optional<std::string> due;

  static platform::GenerationSchema generationSchema();

  // `kind`, `title` and `summary` must be there; a missing or null `todo` or
  // `due` is absent. The first error is raised.
  static ScreenshotReading fromGeneratedContent(const platform::GeneratedContent& content,
                                                bool macOS27OrLater);

  // The properties in order, `todo` and `due` only when present, no id.
  platform::GeneratedContent generatedContent() const;
};

}  // namespace mivo::see
