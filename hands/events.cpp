#include "hands/events.h"

#include <string>
#include <string_view>
#include <utility>

#include "see/finish/finish.h"

namespace mivo::hands {
namespace {

constexpr std::string_view kNoEventSource = "mivo-hands: cannot post input events: ";
constexpr std::string_view kNoMouseEvent = "mivo-hands: could not make a mouse event";
constexpr std::string_view kNoKeyboardEvent = "mivo-hands: could not make a keyboard event";

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
  if (!source().postMouseEvent(event)) fail(kNoMouseEvent);
}

void Events::press(platform::VirtualKeyCode code, platform::EventFlags mask, bool down,
                   bool holdingModifiers) {
  if (!source().postKeyEvent({code, down, mask, holdingModifiers})) fail(kNoKeyboardEvent);
}

void Events::prepareToType(const std::u16string& units) {
  try {
    source().prepareToType(units);
  } catch (const platform::EventSourceError& error) {
    finish(1, std::string(kNoEventSource) + error.what());
  }
}

void Events::text(const std::u16string& units, bool down) {
  if (!source().postTextEvent({down, units})) fail(kNoKeyboardEvent);
}

platform::Position Events::here() {
  return services_.input.pointerLocation().value_or(platform::Position{0, 0});
}

void Events::pause(double seconds) {
  if (!(seconds > 0)) return;
  services_.sleeper.sleep(seconds);
}

void Events::fail(std::string_view message) {
  if (held_ != nullptr) held_->postRelease();
  finish(1, message);
}

HeldDown::HeldDown(Events& events, std::function<void()> postRelease)
    : events_(events), post_release_(std::move(postRelease)) {
  events_.services_.signals.holdBack();
  events_.held_ = this;
}

void HeldDown::pause(double seconds) {
  if (!(seconds > 0)) return;
  const std::optional<int> signal = events_.services_.signals.wait(seconds);
  if (!signal) return;
  postRelease();
  events_.services_.signals.endAs(*signal);
}

void HeldDown::release() {
  postRelease();
  events_.services_.signals.letThrough();
}

void HeldDown::postRelease() {
  // A release that fails in turn ends the run without another try.
  events_.held_ = nullptr;
  post_release_();
}

}  // namespace mivo::hands
