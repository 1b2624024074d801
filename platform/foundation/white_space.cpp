#include "platform/foundation/white_space.h"

#include "platform/foundation/utf8.h"

namespace mivo::foundation {
namespace {

// Zs has held exactly these since Unicode 6.3 took U+180E out of it.
bool isSpaceSeparator(char32_t c) {
  return c == 0x0020 || c == 0x00A0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
         c == 0x202F || c == 0x205F || c == 0x3000;
}

// `text` without the characters of the set `trimmed` at either end.
std::string_view trim(std::string_view text, bool (*trimmed)(char32_t)) {
  // One pass: the kept part runs from the first to the end of the last unit
  // that is not trimmed; a byte that is not UTF-8 counts as kept.
  std::size_t begin = text.size();
  std::size_t end = 0;
  for (std::size_t position = 0; position < text.size();) {
    const Utf8Unit unit = read_utf8_unit(text, position);
    if (!unit.valid || !trimmed(unit.code_point)) {
      if (begin == text.size()) begin = position;
      end = position + unit.length;
    }
    position += unit.length;
  }
  if (begin == text.size()) return {};
  return text.substr(begin, end - begin);
}

}  // namespace

bool isWhiteSpaceOrNewline(char32_t c) {
  const bool line_or_paragraph_separator = c == 0x2028 || c == 0x2029;
  const bool control = (c >= 0x0009 && c <= 0x000D) || c == 0x0085;
  return isSpaceSeparator(c) || line_or_paragraph_separator || control;
}

std::string_view trimWhiteSpaceAndNewlines(std::string_view text) {
  return trim(text, isWhiteSpaceOrNewline);
}

bool isSpaceSeparatorOrTab(char32_t c) { return isSpaceSeparator(c) || c == 0x0009; }

std::string_view trimSpaceSeparatorsAndTab(std::string_view text) {
  return trim(text, isSpaceSeparatorOrTab);
}

}  // namespace mivo::foundation
