#pragma once

#include <string>
#include <string_view>

#include "title/editor.h"

namespace mivo::title {

// The answers, each one member written compactly with no line feed after it.
// Both raise foundation::EncodingError for a text that is not valid UTF-8.

// {"paragraphs":[...]}, a paragraph that was not edited written as null.
std::string encodeEditAnswer(const EditedParagraphs& paragraphs);

// {"title":...}
std::string encodeTitleAnswer(std::string_view title);

}  // namespace mivo::title
