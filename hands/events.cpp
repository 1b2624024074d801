#include "hands/events.h"

#include <string>
#include <string_view>

#include "see/finish/finish.h"

namespace mivo::hands {
namespace {

constexpr std::string_view kNoEventSource = "mivo-hands: cannot post input events: ";
constexpr std::string_view kNoMouseEvent = "mivo-hands: could not make a mouse event";

}  // namespace

platform::EventSource& Events::source() {
  if (!source_) {
    try {
      source_ = services_.input.createEventSource();
    } catch (const platform::EventSourceError& error) {
      finish(1, std::string(kNoEventSource) + error.what());
    }
  }
  return *source_;
}

void Events::mouse(platform::MouseEventType type, platform::Position position,
                   platform::MouseButton button, std::int64_t clicks, platform::EventFlags mods) {
  const platform::MouseEvent event{type, position, button, clicks, mods};
  // No further event may follow one that went missing.
  if (!source().postMouseEvent(event)) finish(1, kNoMouseEvent);
}

platform::Position Events::here() {
  return services_.input.pointerLocation().value_or(platform::Position{0, 0});
}

void Events::pause(double seconds) {
  if (!(seconds > 0)) return;
  services_.sleeper.sleep(seconds);
}

}  // namespace mivo::hands
