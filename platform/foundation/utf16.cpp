#include "platform/foundation/utf16.h"

#include "platform/foundation/utf8.h"

namespace mivo::foundation {

std::u16string utf16CodeUnits(std::string_view text) {
  std::u16string units;
  units.reserve(text.size());
  for (std::size_t position = 0; position < text.size();) {
    const Utf8Unit unit = read_utf8_unit(text, position);
    const char32_t c = unit.valid ? unit.code_point : U'\uFFFD';
    if (c < 0x10000) {
      units += static_cast<char16_t>(c);
    } else {
      units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
    position += unit.length;
  }
  return units;
}

}  // namespace mivo::foundation
