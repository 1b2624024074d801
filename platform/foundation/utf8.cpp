#include "platform/foundation/utf8.h"

namespace mivo::foundation {
namespace {

constexpr Utf8Unit kInvalid{0, 1, false};

// The smallest code point that a sequence of each length may carry; anything
// below it is an overlong form.
constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

Utf8Unit read_utf8_unit(std::string_view text, std::size_t position) {
  const auto lead = static_cast<unsigned char>(text[position]);
  if (lead < 0x80) return {lead, 1, true};

  std::size_t length = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
  } else {
    return kInvalid;
  }
  if (text.size() - position < length) return kInvalid;

  // A lead byte of an n-byte sequence carries 7 - n bits of the code point.
  char32_t code_point = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[position + i]);
    if (!isContinuation(byte)) return kInvalid;
    code_point = (code_point << 6) | (byte & 0x3F);
  }
  if (code_point < kSmallest[length] || code_point > 0x10FFFF) return kInvalid;
  if (code_point >= 0xD800 && code_point <= 0xDFFF) return kInvalid;
  return {code_point, length, true};
}

}  // namespace mivo::foundation
