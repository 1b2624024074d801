#include "see/input.h"

#include "platform/foundation/json_reading.h"

namespace mivo::see {

Input decode_input(std::string_view bytes) {
  const auto request = foundation::JsonObject::parse(bytes);
  Input input;
  input.file = request.required_string("file");
  input.source = request.required_string("source");
  input.taken = request.required_string("taken");
  input.today = request.required_string("today");
  input.sort = request.optional_boolean("sort");
  return input;
}

}  // namespace mivo::see
