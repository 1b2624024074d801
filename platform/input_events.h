#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace mivo::platform {

// A place on the screens, in points, in global display coordinates: the
// origin at the top-left corner of the main display, y growing downwards.
struct Position {
  double x;
  double y;

  bool operator==(const Position&) const = default;
};

// The kinds of mouse event, with the values the system's event services give
// them.
enum class MouseEventType : int {
  leftMouseDown = 1,
  leftMouseUp = 2,
  rightMouseDown = 3,
  rightMouseUp = 4,
  mouseMoved = 5,
  leftMouseDragged = 6,
  otherMouseDown = 25,
  otherMouseUp = 26,
};

// The mouse buttons, numbered as the system's event services number them.
enum class MouseButton : int {
  left = 0,
  right = 1,
  center = 2,
};

// Modifier flags of an event: a mask of the bits below.
using EventFlags = std::uint64_t;
inline constexpr EventFlags kShiftFlag = 0x20000;
inline constexpr EventFlags kControlFlag = 0x40000;
inline constexpr EventFlags kOptionFlag = 0x80000;
inline constexpr EventFlags kCommandFlag = 0x100000;
inline constexpr EventFlags kSecondaryFunctionFlag = 0x800000;

struct MouseEvent {
  MouseEventType type;
  Position position;
  MouseButton button;
  // 1 for a single click, 2 for the second click of a double click, and so on.
  std::int64_t clickState;
  // Replaces whatever modifier flags the system would give the event.
  EventFlags flags;

  bool operator==(const MouseEvent&) const = default;
};

// A scroll by lines, with two wheels; the signs are the system's: a positive
// wheel 1 scrolls up, a positive wheel 2 scrolls left.
struct ScrollEvent {
  std::int32_t wheel1;  // vertical
  std::int32_t wheel2;  // horizontal

  bool operator==(const ScrollEvent&) const = default;
};

// A virtual key code: a key by its place on an ANSI keyboard, in the system's
// numbering (0 is the key of A on a US keyboard, 36 Return, 123 Left).
using VirtualKeyCode = std::uint16_t;

// A key going down or up.
struct KeyEvent {
  VirtualKeyCode keyCode;
  bool down;
  // Replaces whatever modifier flags the system would give the event.
  EventFlags flags;
  // Whether the modifiers of the flags stay down from the key's key-down to
  // its key-up, as when a person holds the combination, rather than only
  // for each of its events. Where the flags travel on the events themselves
  // this changes nothing.
  bool holdsModifiers = false;

  bool operator==(const KeyEvent&) const = default;
};

// A key event of key code 0 that carries text in place of the character the
// key would give; no flags are set on it.
struct TextEvent {
  bool down;
  // At most kMostTextUnits UTF-16 code units, cut by count alone, so that it
  // may begin or end with half of a surrogate pair.
  std::u16string text;

  bool operator==(const TextEvent&) const = default;
};

// The most UTF-16 code units a text event carries.
inline constexpr std::size_t kMostTextUnits = 16;

// Synthetic events, created from one source with the state of the system's
// combined hardware, posted where events from the hardware enter. A source
// that changes the system to post its events undoes that when it is
// released.
class EventSource {
 public:
  virtual ~EventSource() = default;

  // Creates, posts and releases the event; false when the system would not
  // create it, and then nothing was posted.
  [[nodiscard]] virtual bool postMouseEvent(const MouseEvent& event) = 0;
  [[nodiscard]] virtual bool postScrollEvent(const ScrollEvent& event) = 0;
  [[nodiscard]] virtual bool postKeyEvent(const KeyEvent& event) = 0;
  [[nodiscard]] virtual bool postTextEvent(const TextEvent& event) = 0;

  // Told, before the text events that carry `text`, the whole of it, so
  // that a source that must make ready to type does it here rather than
  // between the events; it may wait until it can type. Raises
  // EventSourceError when it cannot type now.
  virtual void prepareToType(const std::u16string& text) = 0;
};

// Raised when no event source can be made; what() says why.
class EventSourceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The system's event services.
class InputEvents {
 public:
  virtual ~InputEvents() = default;

  // A new source for the system's combined hardware state; raises
  // EventSourceError when there is none to be had.
  virtual std::unique_ptr<EventSource> createEventSource() = 0;

  // Where the pointer is now, read without a source; none when the system
  // gives nothing to read it from.
  virtual std::optional<Position> pointerLocation() = 0;
};

}  // namespace mivo::platform
