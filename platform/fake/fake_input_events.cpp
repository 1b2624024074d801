#include "platform/fake/fake_input_events.h"

#include <charconv>
#include <cstdio>

namespace mivo::platform {
namespace {

// The shortest text that reads back as the same double, so that a log shows
// a position to its last bit.
std::string shortest(double value) {
  char digits[32];
  const auto written = std::to_chars(digits, digits + sizeof digits, value);
  return std::string(digits, written.ptr);
}

std::string typeName(MouseEventType type) {
  switch (type) {
    case MouseEventType::leftMouseDown:
      return "leftMouseDown";
    case MouseEventType::leftMouseUp:
      return "leftMouseUp";
    case MouseEventType::rightMouseDown:
      return "rightMouseDown";
    case MouseEventType::rightMouseUp:
      return "rightMouseUp";
    case MouseEventType::mouseMoved:
      return "mouseMoved";
    case MouseEventType::leftMouseDragged:
      return "leftMouseDragged";
    case MouseEventType::otherMouseDown:
      return "otherMouseDown";
    case MouseEventType::otherMouseUp:
      return "otherMouseUp";
  }
  return "type " + std::to_string(static_cast<int>(type));
}

std::string buttonName(MouseButton button) {
  switch (button) {
    case MouseButton::left:
      return "left";
    case MouseButton::right:
      return "right";
    case MouseButton::center:
      return "center";
  }
  return "button " + std::to_string(static_cast<int>(button));
}

std::string hex(EventFlags flags) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "0x%llx", static_cast<unsigned long long>(flags));
  return digits;
}

std::string quoted(const std::u16string& units) {
  std::string text = "\"";
  for (const char16_t unit : units) {
    if (unit >= 0x20 && unit < 0x7F && unit != '"' && unit != '\\') {
      text += static_cast<char>(unit);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(unit));
      text += escape;
    }
  }
  return text + "\"";
}

std::string direction(bool down) { return down ? "down" : "up"; }

std::string refusedIf(bool refused) { return refused ? " (refused)" : ""; }

}  // namespace

class FakeEventSource : public EventSource {
 public:
  explicit FakeEventSource(FakeInputEvents& events) : events_(events) {}

  bool postMouseEvent(const MouseEvent& event) override {
    const bool refused = events_.refuse_mouse_ || events_.refused_mouse_type_ == event.type;
    events_.calls_.push_back(
        "mouse " + typeName(event.type) + " at (" + shortest(event.position.x) + ", " +
        shortest(event.position.y) + ") button " + buttonName(event.button) + " clicks " +
        std::to_string(event.clickState) + " flags " + hex(event.flags) + refusedIf(refused));
    return !refused;
  }

  bool postScrollEvent(const ScrollEvent& event) override {
    events_.calls_.push_back("scroll wheel1 " + std::to_string(event.wheel1) + " wheel2 " +
                             std::to_string(event.wheel2) + refusedIf(events_.refuse_scroll_));
    return !events_.refuse_scroll_;
  }

  bool postKeyEvent(const KeyEvent& event) override {
    events_.calls_.push_back("key " + std::to_string(event.keyCode) + " " + direction(event.down) +
                             " flags " + hex(event.flags) +
                             (event.holdsModifiers ? " holding its modifiers" : "") +
                             refusedIf(events_.refuse_keys_));
    return !events_.refuse_keys_;
  }

  bool postTextEvent(const TextEvent& event) override {
    events_.calls_.push_back("text " + direction(event.down) + " " + quoted(event.text) +
                             refusedIf(events_.refuse_keys_));
    return !events_.refuse_keys_;
  }

  void prepareToType(const std::u16string& text) override {
    events_.calls_.push_back("prepare to type " + quoted(text));
    if (events_.typing_refusal_) throw EventSourceError(*events_.typing_refusal_);
  }

 private:
  FakeInputEvents& events_;
};

std::unique_ptr<EventSource> FakeInputEvents::createEventSource() {
  calls_.push_back("create event source");
  if (source_refusal_) throw EventSourceError(*source_refusal_);
  return std::make_unique<FakeEventSource>(*this);
}

std::optional<Position> FakeInputEvents::pointerLocation() {
  calls_.push_back("pointer location");
  return location_;
}

}  // namespace mivo::platform
