#pragma once

#include <string>
#include <string_view>

namespace mivo::foundation {

// `text` in lower case by Unicode's full lower-casing, without regard to any
// language's own rules; a character may become several ("İ" becomes "i" and a
// combining dot). Bytes that are not UTF-8 become U+FFFD.
std::string lowerCased(std::string_view text);

}  // namespace mivo::foundation
