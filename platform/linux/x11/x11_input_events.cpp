#include "platform/linux/x11/x11_input_events.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/linux/x11/deferred_termination_signals.h"
#include "platform/linux/x11/x11_display.h"
#include "platform/linux/x11/x11_key_symbols.h"
#include "platform/linux/x11/x11_text_typer.h"

namespace mivo::platform {
namespace {

// XTest's core buttons.
constexpr unsigned kLeftButton = 1;
constexpr unsigned kMiddleButton = 2;
constexpr unsigned kRightButton = 3;
constexpr unsigned kWheelUp = 4;
constexpr unsigned kWheelDown = 5;
constexpr unsigned kWheelLeft = 6;
constexpr unsigned kWheelRight = 7;

struct ModifierKey {
  EventFlags flag;
  KeySym key;
};

// Pressed in this order and released in the reverse one.
constexpr ModifierKey kModifierKeys[] = {
    {kControlFlag, XK_Control_L},
    {kOptionFlag, XK_Alt_L},
    {kShiftFlag, XK_Shift_L},
    {kCommandFlag, XK_Super_L},
};

// One coordinate on the screen, in whole pixels within [0, extent).
int toPixel(double coordinate, int origin, int extent) {
  double pixel = coordinate + origin;
  if (std::isnan(pixel)) pixel = 0;
  pixel = std::clamp(pixel, 0.0, static_cast<double>(extent - 1));
  return static_cast<int>(std::lround(pixel));
}

// Holds the modifier keys of `flags` down while it lives. Their releases are
// sent to the server on every way out, so that they arrive even if the
// process ends right after.
class HeldModifiers {
 public:
  HeldModifiers(Display* display, EventFlags flags) : display_(display) {
    for (const ModifierKey& modifier : kModifierKeys) {
      if ((flags & modifier.flag) == 0) continue;
      const KeyCode code = XKeysymToKeycode(display_, modifier.key);
      if (code == 0) continue;
      pressed_.push_back(code);
      XTestFakeKeyEvent(display_, code, True, CurrentTime);
    }
  }
  HeldModifiers(const HeldModifiers&) = delete;
  HeldModifiers& operator=(const HeldModifiers&) = delete;
  ~HeldModifiers() {
    for (auto code = pressed_.rbegin(); code != pressed_.rend(); ++code) {
      XTestFakeKeyEvent(display_, *code, False, CurrentTime);
    }
    XFlush(display_);
  }

 private:
  Display* display_;
  std::vector<KeyCode> pressed_;
};

// What a mouse event does to the core pointer: a move only, or a move and
// then a button press or release.
struct PointerAction {
  bool moves_only;
  unsigned button;
  bool press;
};

unsigned coreButton(MouseButton button) {
  switch (button) {
    case MouseButton::left:
      return kLeftButton;
    case MouseButton::right:
      return kRightButton;
    case MouseButton::center:
      return kMiddleButton;
  }
  return 0;
}

// None for a type that is no mouse event.
std::optional<PointerAction> pointerAction(const MouseEvent& event) {
  switch (event.type) {
    case MouseEventType::mouseMoved:
    case MouseEventType::leftMouseDragged:
      return PointerAction{true, 0, false};
    case MouseEventType::leftMouseDown:
      return PointerAction{false, kLeftButton, true};
    case MouseEventType::leftMouseUp:
      return PointerAction{false, kLeftButton, false};
    case MouseEventType::rightMouseDown:
      return PointerAction{false, kRightButton, true};
    case MouseEventType::rightMouseUp:
      return PointerAction{false, kRightButton, false};
    // Only the "other" types take their button from the event, as the
    // system's event services do.
    case MouseEventType::otherMouseDown:
      return PointerAction{false, coreButton(event.button), true};
    case MouseEventType::otherMouseUp:
      return PointerAction{false, coreButton(event.button), false};
  }
  return std::nullopt;
}

class X11EventSource : public EventSource {
 public:
  explicit X11EventSource(X11Display& display) : display_(display), typer_(display) {}

  bool postMouseEvent(const MouseEvent& event) override {
    const std::optional<PointerAction> action = pointerAction(event);
    if (!action || (!action->moves_only && action->button == 0)) return false;
    const int x = toPixel(event.position.x, display_.mainDisplayX(), display_.width());
    const int y = toPixel(event.position.y, display_.mainDisplayY(), display_.height());
    const DeferredTerminationSignals deferred;
    {
      Display* handle = display_.handle();
      const HeldModifiers held(handle, event.flags);
      // A move to where the pointer already is still reaches the clients as
      // motion; a button event brings none of its own.
      if (action->moves_only || !pointerIsAt(x, y)) {
        XTestFakeMotionEvent(handle, display_.screen(), x, y, CurrentTime);
      }
      if (!action->moves_only) {
        XTestFakeButtonEvent(handle, action->button, action->press ? True : False, CurrentTime);
      }
    }
    return display_.sync();
  }

  bool postScrollEvent(const ScrollEvent& event) override {
    const DeferredTerminationSignals deferred;
    clickWheel(event.wheel1 > 0 ? kWheelUp : kWheelDown, event.wheel1);
    clickWheel(event.wheel2 > 0 ? kWheelLeft : kWheelRight, event.wheel2);
    return display_.sync();
  }

  bool postKeyEvent(const KeyEvent& event) override {
    const std::optional<KeySym> keysym = keySymAtKeyCode(event.keyCode);
    if (!keysym) return false;
    Display* handle = display_.handle();
    const KeyCode code = XKeysymToKeycode(handle, *keysym);
    if (code == 0) return false;
    const DeferredTerminationSignals deferred;
    if (event.down) stopRepeating(code);
    if (event.holdsModifiers && event.down) {
      holding_.reset();
      holding_.emplace(handle, event.flags);
      XTestFakeKeyEvent(handle, code, True, CurrentTime);
    } else if (event.holdsModifiers && holding_) {
      XTestFakeKeyEvent(handle, code, False, CurrentTime);
      holding_.reset();
    } else {
      const HeldModifiers held(handle, event.flags);
      XTestFakeKeyEvent(handle, code, event.down ? True : False, CurrentTime);
    }
    if (!event.down) repeatAgain(code);
    return display_.sync();
  }

  // X types a character with a press and a release of its own, so the whole
  // text goes on the way down and the way up has nothing left to do.
  bool postTextEvent(const TextEvent& event) override {
    if (!event.down) return true;
    return typer_.type(event.text);
  }

  void prepareToType(const std::u16string& text) override { typer_.prepare(text); }

 private:
  void clickWheel(unsigned button, std::int32_t lines) {
    // In 64 bits, where the most negative amount has a magnitude too.
    const std::int64_t magnitude = lines < 0 ? -static_cast<std::int64_t>(lines) : lines;
    const std::int64_t clicks = std::min<std::int64_t>(magnitude, X11InputEvents::kMostWheelClicks);
    for (std::int64_t click = 0; click < clicks; ++click) {
      XTestFakeButtonEvent(display_.handle(), button, True, CurrentTime);
      XTestFakeButtonEvent(display_.handle(), button, False, CurrentTime);
    }
  }

  // The server repeats a key that is held down, as it would a key of the
  // keyboard, where a key posted on the system goes down once: a held cmd+t
  // would go on as cmd+t, cmd+t, or, where the modifiers are up again, as t,
  // t. So a key repeats no more from its press to its release.
  void stopRepeating(KeyCode code) {
    XKeyboardState state;
    XGetKeyboardControl(display_.handle(), &state);
    const bool repeats = (state.auto_repeats[code / 8] >> (code % 8)) & 1;
    if (!state.global_auto_repeat || !repeats) return;
    setRepeating(code, AutoRepeatModeOff);
    not_repeating_.push_back(code);
  }

  void repeatAgain(KeyCode code) {
    const auto found = std::find(not_repeating_.begin(), not_repeating_.end(), code);
    if (found == not_repeating_.end()) return;
    setRepeating(code, AutoRepeatModeOn);
    not_repeating_.erase(found);
  }

  void setRepeating(KeyCode code, int mode) {
    XKeyboardControl control;
    control.key = code;
    control.auto_repeat_mode = mode;
    XChangeKeyboardControl(display_.handle(), KBKey | KBAutoRepeatMode, &control);
  }

  bool pointerIsAt(int x, int y) {
    const std::optional<X11Display::Pixel> pointer = display_.pointer();
    return pointer && pointer->x == x && pointer->y == y;
  }

  X11Display& display_;
  X11TextTyper typer_;
  // The modifiers of a held combination, down until its key goes up.
  std::optional<HeldModifiers> holding_;
  // Keys whose repeating this source stopped at their press.
  std::vector<KeyCode> not_repeating_;
};

}  // namespace

X11InputEvents::X11InputEvents() = default;
X11InputEvents::~X11InputEvents() = default;

std::unique_ptr<EventSource> X11InputEvents::createEventSource() {
  X11Display* opened = display_.get();
  if (opened == nullptr) {
    throw EventSourceError("cannot open the X display \"" + X11Display::name() + "\"");
  }
  int event_base = 0;
  int error_base = 0;
  int major = 0;
  int minor = 0;
  if (!XTestQueryExtension(opened->handle(), &event_base, &error_base, &major, &minor)) {
    throw EventSourceError("the X display \"" + X11Display::name() + "\" has no XTest extension");
  }
  return std::make_unique<X11EventSource>(*opened);
}

std::optional<Position> X11InputEvents::pointerLocation() {
  X11Display* opened = display_.get();
  if (opened == nullptr) return std::nullopt;
  const std::optional<X11Display::Pixel> pointer = opened->pointer();
  if (!pointer) return std::nullopt;
  return Position{static_cast<double>(pointer->x - opened->mainDisplayX()),
                  static_cast<double>(pointer->y - opened->mainDisplayY())};
}

}  // namespace mivo::platform
