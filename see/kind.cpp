#include "see/kind.h"

#include <string>

#include "platform/generation_error.h"

namespace mivo::see {
namespace {

constexpr Kind kKinds[] = {Kind::task, Kind::note, Kind::other};

}  // namespace

std::string_view kindName(Kind kind) {
  switch (kind) {
    case Kind::task: return "task";
    case Kind::note: return "note";
    case Kind::other: return "other";
  }
  return {};
}

platform::GenerationSchema kindGenerationSchema() {
  platform::GenerationSchema schema{.type = "Kind"};
  for (const Kind kind : kKinds) schema.anyOf.emplace_back(kindName(kind));
  return schema;
}

Kind kindFromGeneratedContent(const platform::GeneratedContent& content, bool macOS27OrLater) {
  const std::string value = content.stringValue();
  for (const Kind kind : kKinds) {
    if (value == kindName(kind)) return kind;
  }
  const std::string description = "Unexpected value \"" + value + "\" for Kind";
  // Systems before macOS 27 have no parsing error for content.
  if (macOS27OrLater) throw platform::ParsingError(content.jsonString(), description);
  throw platform::GenerationError(platform::GenerationError::Case::decodingFailure, description);
}

platform::GeneratedContent kindGeneratedContent(Kind kind) {
  return platform::GeneratedContent::ofString(std::string(kindName(kind)));
}

}  // namespace mivo::see
