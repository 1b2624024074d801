#pragma once

#include <cstddef>
#include <string_view>

namespace mivo::foundation {

// One code point read from UTF-8 text. A byte that does not start a well-formed
// sequence (stray continuation, overlong form, surrogate, beyond U+10FFFF, cut
// short) reads as an invalid unit of length 1, so that a scan always advances.
struct Utf8Unit {
  char32_t code_point;
  std::size_t length;
  bool valid;
};

// The unit that starts at `position`, which must lie inside `text`.
Utf8Unit read_utf8_unit(std::string_view text, std::size_t position);

}  // namespace mivo::foundation
