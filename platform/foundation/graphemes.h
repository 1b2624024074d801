#pragma once

#include <cstddef>
#include <string_view>

namespace mivo::foundation {

// User-perceived characters: the extended grapheme clusters of UTF-8 text, as
// ICU finds them. A byte that is not UTF-8 counts as a character of its own.

// How many user-perceived characters `text` has.
std::size_t graphemeCount(std::string_view text);

// The first `count` user-perceived characters of `text`, each one whole; all
// of `text` when it has no more than that.
std::string_view graphemePrefix(std::string_view text, std::size_t count);

}  // namespace mivo::foundation
