#include "see/input.h"

#include "platform/foundation/json_reading.h"

namespace mivo::see {

Input decodeInput(std::string_view bytes) {
  const auto request = foundation::JsonObject::parse(bytes);
  Input input;
  input.file = request.requiredString("file");
  input.source = request.requiredString("source");
  input.taken = request.requiredString("taken");
  input.today = request.requiredString("today");
  input.sort = request.optionalBoolean("sort");
  return input;
}

}  // namespace mivo::see
