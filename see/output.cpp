#include "see/output.h"

#include "platform/foundation/json_writing.h"

namespace mivo::see {
namespace {

foundation::JsonObjectWriter encodeReading(const Reading& reading) {
  foundation::JsonObjectWriter object;
  object.addString("kind", reading.kind);
  object.addString("title", reading.title);
  object.addString("summary", reading.summary);
  if (reading.todo) object.addString("todo", *reading.todo);
  if (reading.due) object.addString("due", *reading.due);
  return object;
}

}  // namespace

std::string encodeOutput(const Output& output) {
  foundation::JsonObjectWriter answer;
  answer.addString("text", output.text);
  if (output.reading) answer.addObject("reading", encodeReading(*output.reading));
  answer.addString("model", output.model);
  return answer.text();
}

}  // namespace mivo::see
