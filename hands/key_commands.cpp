#include "hands/key_commands.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "hands/combo.h"
#include "hands/whole_number.h"
#include "platform/foundation/utf16.h"
#include "see/finish/finish.h"

namespace mivo::hands {
namespace {

constexpr std::string_view kRepeatOutOfRange = "mivo-hands: key repeat out of range";

constexpr double kAfterChunk = 0.02;
constexpr double kAfterPress = 0.03;
constexpr double kLongestHold = 10;

}  // namespace

Answer type(const Request& request, Events& events) {
  const std::u16string units = foundation::utf16CodeUnits(request.text("text").value_or(""));
  if (!units.empty()) events.prepareToType(units);
  // Cut by count alone, even inside a surrogate pair or a sequence of
  // combining characters.
  for (std::size_t start = 0; start < units.size(); start += platform::kMostTextUnits) {
    const std::u16string chunk = units.substr(start, platform::kMostTextUnits);
    HeldDown held(events, [&] { events.text(chunk, false); });
    events.text(chunk, true);
    held.release();
    events.pause(kAfterChunk);
  }
  return okAnswer();
}

Answer key(const Request& request, Events& events) {
  const KeyCombination keys = combo(request.text("keys").value_or(""));
  // A repeat beyond the 64-bit range is refused rather than clamped, as a
  // click count is: that many presses would never end.
  const std::optional<std::int64_t> r =
      truncated<std::int64_t>(request.number("repeat").value_or(1));
  if (!r) finish(1, kRepeatOutOfRange);
  const std::int64_t n = std::max<std::int64_t>(1, *r);
  for (std::int64_t i = 0; i < n; ++i) {
    HeldDown held(events, [&] { events.press(keys.code, keys.mask, false); });
    events.press(keys.code, keys.mask, true);
    held.release();
    events.pause(kAfterPress);
  }
  return okAnswer();
}

Answer hold(const Request& request, Events& events) {
  const KeyCombination keys = combo(request.text("keys").value_or(""));
  // The modifiers stay down with the key, as a person holds the combination.
  HeldDown held(events, [&] { events.press(keys.code, keys.mask, false, true); });
  events.press(keys.code, keys.mask, true, true);
  // The cap keeps a hold from blocking the program for longer; a signal ends
  // it at once.
  held.pause(std::min(request.number("seconds").value_or(0.5), kLongestHold));
  held.release();
  return okAnswer();
}

}  // namespace mivo::hands
