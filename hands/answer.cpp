#include "hands/answer.h"

#include <string_view>

#include "platform/foundation/json_writing.h"
#include "platform/foundation/process.h"
#include "see/finish/finish.h"

namespace mivo::hands {
namespace {

constexpr std::string_view kAnswerNotWritten = "mivo-hands: could not write the answer";

struct MemberWriter {
  foundation::JsonObjectWriter& object;
  const std::string& name;

  void operator()(bool value) const { object.addBoolean(name, value); }
  void operator()(double value) const { object.addNumber(name, value); }
  void operator()(const std::string& value) const { object.addString(name, value); }
  void operator()(const std::vector<double>& values) const { object.addNumberArray(name, values); }
};

std::string serialised(const Answer& answer) {
  foundation::JsonObjectWriter object;
  for (const auto& [name, value] : answer.members) std::visit(MemberWriter{object, name}, value);
  return object.text();
}

}  // namespace

Answer okAnswer() { return {{{"ok", true}}}; }

void answer(const Answer& object) {
  std::string text;
  try {
    text = serialised(object);
  } catch (const foundation::EncodingError&) {
    finish(1, kAnswerNotWritten);
  }
  if (foundation::process().writeStandardOutput(text)) finish(1, kAnswerNotWritten);
  if (foundation::process().writeStandardOutput("\n")) finish(1, kAnswerNotWritten);
}

void requireStandardOutput() {
  if (foundation::process().standardOutputError()) finish(1, kAnswerNotWritten);
}

}  // namespace mivo::hands
