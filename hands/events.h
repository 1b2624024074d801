#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "hands/services.h"
#include "platform/input_events.h"

namespace mivo::hands {

class HeldDown;

// The event plumbing that the pointer and keyboard commands share, for one
// run: the one event source, made at the first event and kept to the end;
// mouse, key and text events; the pointer's position; and the blocking pause.
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

  // `press`: posts one key event from the source, its flags replaced by
  // `mask`; ends the run through `finish` when the system will not create it.
  // With `holdingModifiers` the modifiers of the mask stay down from the
  // key-down to the key-up, as a person holds a combination.
  void press(platform::VirtualKeyCode code, platform::EventFlags mask, bool down,
             bool holdingModifiers = false);

  // Tells the source the whole text that the text events to come carry;
  // ends the run through `finish` when it cannot type now.
  void prepareToType(const std::u16string& units);

  // Posts one text event carrying `units` (at most 16); ends the run through
  // `finish` when the system will not create it.
  void text(const std::u16string& units, bool down);

  // `here`: where the pointer is, (0, 0) when the system cannot tell.
  platform::Position here();

  // `pause`: blocks for `seconds`; zero or less returns at once.
  void pause(double seconds);

  // Releases the source once the command's events are done, so that what it
  // changed on the system for them is undone before the answer says so.
  void end() { source_.reset(); }

 private:
  friend class HeldDown;

  // Ends the run through `finish` with status 1 and `message`, once the
  // release of a key or button that is down has been tried.
  [[noreturn]] void fail(std::string_view message);

  const Services& services_;
  std::unique_ptr<platform::EventSource> source_;
  HeldDown* held_ = nullptr;
};

// A key or button that is down, from just before its press is posted until
// `release`. Meanwhile the termination signals are held back: a `pause` ends
// early when one comes, the release is posted at once and the run ends as the
// signal would have ended it; one that comes during an event ends the run
// right after `release`. An event that fails meanwhile ends the run only
// after the release has been tried. So no run leaves a key or button held,
// and a long hold still ends at once. Only one is down at a time.
class HeldDown {
 public:
  // `postRelease` posts the release that belongs to the press.
  HeldDown(Events& events, std::function<void()> postRelease);
  HeldDown(const HeldDown&) = delete;
  HeldDown& operator=(const HeldDown&) = delete;

  // `pause` while it is down; zero or less returns at once.
  void pause(double seconds);

  // Posts the release and lets the signals through; it ends the hold.
  void release();

 private:
  friend class Events;

  // Posts the release; a failure after it tries no other.
  void postRelease();

  Events& events_;
  std::function<void()> post_release_;
};

}  // namespace mivo::hands
