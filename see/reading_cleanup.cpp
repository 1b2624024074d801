#include "see/reading_cleanup.h"

#include "platform/foundation/white_space.h"

namespace mivo::see {
namespace {

// Exactly four ASCII digits, a hyphen, two digits, a hyphen and two digits,
// with nothing before or after: the host takes the value for a date, so other
// digits and a trailing line break are no due date.
bool isDueDate(std::string_view value) {
  constexpr std::string_view kShape = "dddd-dd-dd";
  if (value.size() != kShape.size()) return false;
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    const bool fits = kShape[i] == 'd' ? value[i] >= '0' && value[i] <= '9' : value[i] == '-';
    if (!fits) return false;
  }
  return true;
}

}  // namespace

Reading cleanReading(const ScreenshotReading& reply) {
  Reading reading{.kind = std::string(kindName(reply.kind)),
                  .title = reply.title,
                  .summary = reply.summary,
                  .todo = std::nullopt,
                  .due = std::nullopt};
  if (reply.todo) {
    const std::string_view todo = foundation::trimWhiteSpaceAndNewlines(*reply.todo);
    if (!todo.empty()) reading.todo = std::string(todo);
  }
  if (reply.due && isDueDate(*reply.due)) reading.due = reply.due;
  if (reply.kind != Kind::task) {
    reading.todo.reset();
    reading.due.reset();
  }
  return reading;
}

}  // namespace mivo::see
