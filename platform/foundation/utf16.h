#pragma once

#include <string>
#include <string_view>

namespace mivo::foundation {

// The UTF-16 code units of UTF-8 `text`, a character beyond U+FFFF as its
// surrogate pair; a byte that is not UTF-8 becomes U+FFFD.
std::u16string utf16CodeUnits(std::string_view text);

}  // namespace mivo::foundation
