#include "see/output.h"

#include "platform/foundation/json_writing.h"

namespace mivo::see {
namespace {

foundation::JsonObjectWriter encode_reading(const Reading& reading) {
  foundation::JsonObjectWriter object;
  object.add_string("kind", reading.kind);
  object.add_string("title", reading.title);
  object.add_string("summary", reading.summary);
  if (reading.todo) object.add_string("todo", *reading.todo);
  if (reading.due) object.add_string("due", *reading.due);
  return object;
}

}  // namespace

std::string encode_output(const Output& output) {
  foundation::JsonObjectWriter answer;
  answer.add_string("text", output.text);
  if (output.reading) answer.add_object("reading", encode_reading(*output.reading));
  answer.add_string("model", output.model);
  return answer.text();
}

}  // namespace mivo::see
