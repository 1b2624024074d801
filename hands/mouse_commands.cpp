#include "hands/mouse_commands.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "hands/flags.h"
#include "hands/point.h"
#include "hands/whole_number.h"
#include "see/finish/finish.h"

namespace mivo::hands {
namespace {

using platform::MouseButton;
using platform::MouseEventType;
using platform::Position;

constexpr std::string_view kMoveNeedsXAndY = "mivo-hands: move needs x and y";
constexpr std::string_view kClickNeedsXAndY = "mivo-hands: click needs x and y";
constexpr std::string_view kDragNeedsFromAndTo = "mivo-hands: drag needs from and to";
constexpr std::string_view kCountOutOfRange = "mivo-hands: click count out of range";
constexpr std::string_view kScrollOutOfRange = "mivo-hands: scroll amount out of range";

constexpr double kAfterMove = 0.05;
constexpr double kBetweenClicks = 0.06;
constexpr double kAfterDragStep = 0.01;
constexpr int kDragSteps = 20;

struct ClickButton {
  MouseEventType down;
  MouseEventType up;
  MouseButton button;
};

ClickButton clickButton(std::string_view name) {
  if (name == "right")
    return {MouseEventType::rightMouseDown, MouseEventType::rightMouseUp, MouseButton::right};
  if (name == "middle")
    return {MouseEventType::otherMouseDown, MouseEventType::otherMouseUp, MouseButton::center};
  return {MouseEventType::leftMouseDown, MouseEventType::leftMouseUp, MouseButton::left};
}

// Where the pointer goes from `start` to `end` after `step` of the drag's
// steps: a multiplication, then an addition, each rounded on its own.
double stepCoordinate(double start, double end, int step) {
  const double t = step / static_cast<double>(kDragSteps);
  return (end - start) * t + start;
}

// A wheel amount in whole lines; ends the run when no wheel can take it.
std::int32_t wheelAmount(const Request& request, std::string_view name) {
  const std::optional<std::int32_t> lines =
      truncated<std::int32_t>(request.number(name).value_or(0));
  if (!lines) finish(1, kScrollOutOfRange);
  return *lines;
}

}  // namespace

Answer cursor(const Request&, Events& events) {
  const Position here = events.here();
  return {{{"x", here.x}, {"y", here.y}}};
}

Answer move(const Request& request, Events& events) {
  const std::optional<Position> position = point(request);
  if (!position) finish(1, kMoveNeedsXAndY);
  events.mouse(MouseEventType::mouseMoved, *position);
  return okAnswer();
}

Answer click(const Request& request, Events& events) {
  const std::optional<Position> position = point(request);
  if (!position) finish(1, kClickNeedsXAndY);
  const std::string button_name = request.text("button").value_or("left");
  const double count = request.number("count").value_or(1);
  const std::string mods = request.text("mods").value_or("");

  // A count beyond the 64-bit range is refused rather than clamped: that many
  // clicks would never end.
  const std::optional<std::int64_t> c = truncated<std::int64_t>(count);
  if (!c) finish(1, kCountOutOfRange);
  const platform::EventFlags mask = flags(plusSeparatedPieces(mods));
  const ClickButton button = clickButton(button_name);

  events.mouse(MouseEventType::mouseMoved, *position);
  events.pause(kAfterMove);
  const std::int64_t n = std::max<std::int64_t>(1, *c);
  for (std::int64_t i = 1; i <= n; ++i) {
    HeldDown held(events, [&] { events.mouse(button.up, *position, button.button, i, mask); });
    events.mouse(button.down, *position, button.button, i, mask);
    held.release();
    if (i < *c) events.pause(kBetweenClicks);
  }
  return okAnswer();
}

Answer down(const Request& request, Events& events) {
  const std::optional<Position> position = point(request);
  events.mouse(MouseEventType::leftMouseDown, position ? *position : events.here());
  return okAnswer();
}

Answer up(const Request& request, Events& events) {
  const std::optional<Position> position = point(request);
  events.mouse(MouseEventType::leftMouseUp, position ? *position : events.here());
  return okAnswer();
}

Answer drag(const Request& request, Events& events) {
  const std::optional<Position> start = point(request, "from");
  const std::optional<Position> end = point(request, "to");
  if (!start || !end) finish(1, kDragNeedsFromAndTo);

  events.mouse(MouseEventType::mouseMoved, *start);
  // Where the button comes up: at the end, or where the pointer is when a
  // signal cuts the drag short.
  Position at = *start;
  HeldDown held(events, [&] { events.mouse(MouseEventType::leftMouseUp, at); });
  events.mouse(MouseEventType::leftMouseDown, *start);
  for (int i = 1; i <= kDragSteps; ++i) {
    at = {stepCoordinate(start->x, end->x, i), stepCoordinate(start->y, end->y, i)};
    events.mouse(MouseEventType::leftMouseDragged, at);
    held.pause(kAfterDragStep);
  }
  // At the end itself: the last computed step may miss it by a last bit.
  at = *end;
  held.release();
  return okAnswer();
}

Answer scroll(const Request& request, Events& events) {
  const std::optional<Position> position = point(request);
  // The amounts are checked before the pointer moves, so that a refused
  // scroll leaves nothing done.
  const std::int32_t dy = wheelAmount(request, "dy");
  const std::int32_t dx = wheelAmount(request, "dx");
  if (position) {
    events.mouse(MouseEventType::mouseMoved, *position);
    events.pause(kAfterMove);
  }
  // When the system makes no scroll event, nothing is posted and the command
  // still succeeds.
  (void)events.source().postScrollEvent({.wheel1 = dy, .wheel2 = dx});
  return okAnswer();
}

}  // namespace mivo::hands
