#pragma once

#include <string>
#include <string_view>

namespace mivo::foundation {

// `bytes` in standard base64 (RFC 4648: the alphabet with "+" and "/", "="
// padding to a multiple of four), on one line with no line breaks.
std::string base64(std::string_view bytes);

}  // namespace mivo::foundation
