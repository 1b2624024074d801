#pragma once

#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <string_view>

namespace mivo::foundation {

// The strict reading that JsonObject and JsonDocument share: one JSON text
// and nothing more (white space around it aside), valid UTF-8, no comments,
// no raw NUL byte; any value may stand at the top; where an object names a
// member twice, the later one counts. Raises DecodingError otherwise.
//
// A number that no 64-bit float can hold is read, not refused: an integer
// literal that a float does not hold exactly, and any literal beyond the
// float's range, stand as a binary value, which JSON text never gives, so
// that no reading rule takes one for a number.
std::unique_ptr<nlohmann::json> parseJsonText(std::string_view text);

}  // namespace mivo::foundation
