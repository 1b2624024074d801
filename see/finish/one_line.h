#pragma once

#include <string>
#include <string_view>

namespace mivo {

// `text` made fit for one line of standard error: the control characters
// (U+0000 to U+001F, U+007F to U+009F) and the line and paragraph separators
// U+2028 and U+2029 are written as a JSON string escapes them ("\n", "\t",
// "\u001b", "\u2028"); everything else, bytes that are not UTF-8 included,
// stays as it is. A message can carry text of the request or of the system,
// and a host reads one line.
std::string oneLine(std::string_view text);

}  // namespace mivo
