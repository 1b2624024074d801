#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mivo::foundation {

// A JSON text in which every number literal that no 64-bit float can hold,
// being beyond its range (1e400, -1E+999, an integer of 400 digits), is
// replaced by 0, with the places of those literals among all the number
// literals of the text, counted from 0 in the order of the text.
//
// Such a literal is valid JSON, but the parser refuses the whole text for it.
// With it replaced the parser reads the text, and a reader that counts the
// numbers it is given can tell the replaced ones from a real 0.
struct NumbersBeyondRange {
  std::string text;
  std::vector<std::size_t> places;  // ascending
};

// Only well-formed literals outside strings are replaced, so a text that is
// no JSON stays no JSON; underflow (1e-400) is not beyond the range, it
// reads as 0 as any JSON reader gives it.
NumbersBeyondRange replaceNumbersBeyondRange(std::string_view text);

}  // namespace mivo::foundation
