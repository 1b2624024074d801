#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mivo::see {

// The request.
struct Input {
  std::string file;          // path of the picture file to read
  std::string source;        // the device the screenshot was taken on, free text
  std::string taken;         // when it was taken, free text
  std::string today;         // today's date, free text
  std::optional<bool> sort;  // whether to ask the on-device model; none means yes
};

// Reads the request from the whole of standard input. Raises
// foundation::DecodingError when it is not the JSON expected.
Input decodeInput(std::string_view bytes);

}  // namespace mivo::see
