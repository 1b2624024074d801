#pragma once

#include <string_view>

#include "platform/generated_content.h"
#include "platform/generation_schema.h"

namespace mivo::see {

// The sort of a screenshot, written and read as the name of its case.
enum class Kind { task, note, other };

std::string_view kindName(Kind kind);

// A string that must be "task", "note" or "other".
platform::GenerationSchema kindGenerationSchema();

// The case whose name the content's string is, exactly. Raises the content's
// own error when it is no string, and for any other string a ParsingError on
// macOS 27 and later, a GenerationError of the case decodingFailure before.
Kind kindFromGeneratedContent(const platform::GeneratedContent& content, bool macOS27OrLater);

platform::GeneratedContent kindGeneratedContent(Kind kind);

}  // namespace mivo::see
