#include "platform/linux/x11_input_events.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/linux/x11_display.h"

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

// The X server keeps a key or button pressed after the client that pressed it
// has gone. While this lives the termination signals are held back, so that
// a run cannot end between a press and the release that belongs to it; one
// that arrives meanwhile is delivered when this ends.
class TerminationSignalsDeferred {
 public:
  TerminationSignalsDeferred() {
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM}) sigaddset(&signals, signal);
    pthread_sigmask(SIG_BLOCK, &signals, &previous_);
  }
  TerminationSignalsDeferred(const TerminationSignalsDeferred&) = delete;
  TerminationSignalsDeferred& operator=(const TerminationSignalsDeferred&) = delete;
  ~TerminationSignalsDeferred() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

 private:
  sigset_t previous_;
};

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
  explicit X11EventSource(X11Display& display) : display_(display) {}

  bool postMouseEvent(const MouseEvent& event) override {
    const std::optional<PointerAction> action = pointerAction(event);
    if (!action || (!action->moves_only && action->button == 0)) return false;
    const int x = toPixel(event.position.x, display_.mainDisplayX(), display_.width());
    const int y = toPixel(event.position.y, display_.mainDisplayY(), display_.height());
    const TerminationSignalsDeferred deferred;
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
    const TerminationSignalsDeferred deferred;
    clickWheel(event.wheel1 > 0 ? kWheelUp : kWheelDown, event.wheel1);
    clickWheel(event.wheel2 > 0 ? kWheelLeft : kWheelRight, event.wheel2);
    return display_.sync();
  }

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

  bool pointerIsAt(int x, int y) {
    const std::optional<X11Display::Pixel> pointer = display_.pointer();
    return pointer && pointer->x == x && pointer->y == y;
  }

  X11Display& display_;
};

}  // namespace

X11InputEvents::X11InputEvents() = default;
X11InputEvents::~X11InputEvents() = default;

X11Display* X11InputEvents::display() {
  if (!tried_opening_) {
    tried_opening_ = true;
    display_ = X11Display::open();
  }
  return display_.get();
}

std::unique_ptr<EventSource> X11InputEvents::createEventSource() {
  X11Display* opened = display();
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
  X11Display* opened = display();
  if (opened == nullptr) return std::nullopt;
  const std::optional<X11Display::Pixel> pointer = opened->pointer();
  if (!pointer) return std::nullopt;
  return Position{static_cast<double>(pointer->x - opened->mainDisplayX()),
                  static_cast<double>(pointer->y - opened->mainDisplayY())};
}

}  // namespace mivo::platform
