#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/input_events.h"

namespace mivo::platform {

// Scripted event services that record every call, in order, into a log they
// may share with other fakes, so that a test sees events and pauses together.
// Entries:
//   "create event source"
//   "mouse leftMouseDown at (10, 20.5) button left clicks 1 flags 0x0"
//   "scroll wheel1 -2 wheel2 0"
//   "key 17 down flags 0x120000", "key 17 up flags 0x0", with
//     " holding its modifiers" after the flags of a key that holds them
//   "prepare to type \"H\u00e9\"" (quoted as a text event's text)
//   "text down \"H\u00e9\"", "text up \"\ud83d\"" (printable ASCII as it is,
//     every other code unit, and the quotation mark and backslash, as \uXXXX)
//   "pointer location"
// with " (refused)" after an event that the script refuses.
class FakeInputEvents : public InputEvents {
 public:
  explicit FakeInputEvents(std::vector<std::string>& calls) : calls_(calls) {}

  // Where the pointer is; none (the start) gives nothing to read it from.
  void setPointerLocation(std::optional<Position> location) { location_ = location; }
  // Every later source raises EventSourceError with `description`.
  void refuseEventSources(std::string description) { source_refusal_ = std::move(description); }
  // Every later mouse or scroll event is refused and posts nothing.
  void refuseMouseEvents() { refuse_mouse_ = true; }
  // Every later mouse event of `type` is refused and posts nothing.
  void refuseMouseEventsOfType(MouseEventType type) { refused_mouse_type_ = type; }
  void refuseScrollEvents() { refuse_scroll_ = true; }
  // Every later key or text event is refused and posts nothing.
  void refuseKeyEvents() { refuse_keys_ = true; }
  // Every later preparation to type raises EventSourceError with
  // `description`.
  void refuseTyping(std::string description) { typing_refusal_ = std::move(description); }

  std::unique_ptr<EventSource> createEventSource() override;
  std::optional<Position> pointerLocation() override;

 private:
  friend class FakeEventSource;

  std::vector<std::string>& calls_;
  std::optional<Position> location_;
  std::optional<std::string> source_refusal_;
  bool refuse_mouse_ = false;
  std::optional<MouseEventType> refused_mouse_type_;
  bool refuse_scroll_ = false;
  bool refuse_keys_ = false;
  std::optional<std::string> typing_refusal_;
};

}  // namespace mivo::platform
