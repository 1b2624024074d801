#pragma once

#include <cstdint>
#include <memory>

#include "hands/services.h"
#include "platform/input_events.h"

namespace mivo::hands {

// The event plumbing that the pointer and keyboard commands share, for one
// run: the one event source, made at the first event and kept to the end;
// mouse events; the pointer's position; and the blocking pause.
class Events {
 public:
  explicit Events(const Services& services) : services_(services) {}

  // `source`: ends the run through `finish` when the system has none.
  platform::EventSource& source();

  // `mouse`: posts one mouse event from the source; ends the run through
  // `finish` when the system will not create it.
  void mouse(platform::MouseEventType type, platform::Position position,
             platform::MouseButton button = platform::MouseButton::left, std::int64_t clicks = 1,
             platform::EventFlags mods = 0);

  // `here`: where the pointer is, (0, 0) when the system cannot tell.
  platform::Position here();

  // `pause`: blocks for `seconds`; zero or less returns at once.
  void pause(double seconds);

 private:
  const Services& services_;
  std::unique_ptr<platform::EventSource> source_;
};

}  // namespace mivo::hands
