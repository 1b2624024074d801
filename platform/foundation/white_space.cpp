#include "platform/foundation/white_space.h"

#include "platform/foundation/utf8.h"

namespace mivo::foundation {

bool isWhiteSpaceOrNewline(char32_t c) {
  // Zs has held exactly these since Unicode 6.3 took U+180E out of it.
  const bool space_separator = c == 0x0020 || c == 0x00A0 || c == 0x1680 ||
                               (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F ||
                               c == 0x3000;
  const bool line_or_paragraph_separator = c == 0x2028 || c == 0x2029;
  const bool control = (c >= 0x0009 && c <= 0x000D) || c == 0x0085;
  return space_separator || line_or_paragraph_separator || control;
}

std::string_view trimWhiteSpaceAndNewlines(std::string_view text) {
  // One pass: the kept part runs from the first to the end of the last unit
  // that is not white space; a byte that is not UTF-8 counts as kept.
  std::size_t begin = text.size();
  std::size_t end = 0;
  for (std::size_t position = 0; position < text.size();) {
    const Utf8Unit unit = read_utf8_unit(text, position);
    if (!unit.valid || !isWhiteSpaceOrNewline(unit.code_point)) {
      if (begin == text.size()) begin = position;
      end = position + unit.length;
    }
    position += unit.length;
  }
  if (begin == text.size()) return {};
  return text.substr(begin, end - begin);
}

}  // namespace mivo::foundation
