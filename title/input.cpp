#include "title/input.h"

#include "platform/foundation/json_reading.h"

namespace mivo::title {

EditInput decodeEditInput(std::string_view bytes) {
  const auto request = foundation::JsonObject::parse(bytes);
  return {.edit = request.requiredStringList("edit")};
}

Input decodeInput(std::string_view bytes) {
  const auto request = foundation::JsonObject::parse(bytes);
  Input input;
  input.transcript = request.requiredString("transcript");
  input.label = request.optionalString("label");
  input.source = request.requiredString("source");
  input.recorded = request.requiredString("recorded");
  return input;
}

}  // namespace mivo::title
