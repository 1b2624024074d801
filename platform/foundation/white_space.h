#pragma once

#include <string_view>

namespace mivo::foundation {

// The white-space-and-newline set: the Unicode space, line and paragraph
// separators (Zs, Zl, Zp), U+0009 to U+000D and U+0085.
bool isWhiteSpaceOrNewline(char32_t code_point);

// `text` without the characters of that set at either end; inner ones stay.
std::string_view trimWhiteSpaceAndNewlines(std::string_view text);

// The narrower set of key combinations: the Unicode space separators (Zs)
// and the tab, no line breaks.
bool isSpaceSeparatorOrTab(char32_t code_point);

// `text` without the characters of that set at either end; inner ones stay.
std::string_view trimSpaceSeparatorsAndTab(std::string_view text);

}  // namespace mivo::foundation
