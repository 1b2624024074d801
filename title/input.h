#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mivo::title {

// The edit request.
struct EditInput {
  std::vector<std::string> edit;  // the paragraphs, in order
};

// The title request; the members are free text for the model's prompt.
struct Input {
  std::string transcript;
  std::optional<std::string> label;  // none when absent or null
  std::string source;
  std::string recorded;
};

// Each reads its request from the whole of standard input by member name,
// ignoring other members. Raise foundation::DecodingError when it is not that
// request.
EditInput decodeEditInput(std::string_view bytes);
Input decodeInput(std::string_view bytes);

}  // namespace mivo::title
