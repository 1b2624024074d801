#include "platform/linux/x11/x11_focus_ping.h"

#include <poll.h>

#include <algorithm>

namespace mivo::platform {
namespace {

struct Answer {
  Atom protocols;
  Atom ping;
  long stamp;
};

// The answer comes back to the root window, as EWMH has it.
Bool isAnswer(Display*, XEvent* event, XPointer wanted) {
  const Answer& answer = *reinterpret_cast<const Answer*>(wanted);
  return event->type == ClientMessage && event->xclient.message_type == answer.protocols &&
         event->xclient.format == 32 &&
         static_cast<Atom>(event->xclient.data.l[0]) == answer.ping &&
         event->xclient.data.l[1] == answer.stamp;
}

int ignore(Display*, XErrorEvent*) { return 0; }

// The windows looked at may go away meanwhile: errors of these requests are
// no errors of the run's events, which are counted before.
class IgnoredErrors {
 public:
  explicit IgnoredErrors(Display* display) : display_(display) {
    XSync(display_, False);
    previous_ = XSetErrorHandler(ignore);
  }
  IgnoredErrors(const IgnoredErrors&) = delete;
  IgnoredErrors& operator=(const IgnoredErrors&) = delete;
  ~IgnoredErrors() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }

 private:
  Display* display_;
  XErrorHandler previous_;
};

}  // namespace

X11FocusPing::X11FocusPing(Display* display)
    : display_(display),
      protocols_(XInternAtom(display, "WM_PROTOCOLS", False)),
      ping_(XInternAtom(display, "_NET_WM_PING", False)),
      nudge_(XInternAtom(display, "_MIVO_HANDS_NUDGE", False)) {}

bool X11FocusPing::answered(Clock::time_point until) {
  if (unanswered_) return false;
  const IgnoredErrors ignored(display_);
  const Window client = pingableFocus();
  if (client == None) return false;
  const Window root = DefaultRootWindow(display_);
  XWindowAttributes root_attributes;
  XGetWindowAttributes(display_, root, &root_attributes);
  // The answer is sent to those who watch the root's children.
  XSelectInput(display_, root, root_attributes.your_event_mask | SubstructureNotifyMask);
  XEvent ping{};
  ping.xclient.type = ClientMessage;
  ping.xclient.window = client;
  ping.xclient.message_type = protocols_;
  ping.xclient.format = 32;
  ping.xclient.data.l[0] = static_cast<long>(ping_);
  ping.xclient.data.l[1] = ++sent_;
  ping.xclient.data.l[2] = static_cast<long>(client);
  XSendEvent(display_, client, False, NoEventMask, &ping);
  XFlush(display_);

  Answer wanted{protocols_, ping_, sent_};
  bool came = false;
  XEvent event;
  while (!(came = XCheckIfEvent(display_, &event, isAnswer, reinterpret_cast<XPointer>(&wanted)))) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    if (left.count() <= 0) break;
    pollfd readable{ConnectionNumber(display_), POLLIN, 0};
    ::poll(&readable, 1, static_cast<int>(std::min<long long>(left.count(), 100)));
  }
  XSelectInput(display_, root, root_attributes.your_event_mask);
  unanswered_ = !came;
  return came;
}

void X11FocusPing::nudge() {
  const IgnoredErrors ignored(display_);
  const Window window = keyWindow();
  if (window == None || window == DefaultRootWindow(display_)) return;
  XEvent nudge{};
  nudge.xclient.type = ClientMessage;
  nudge.xclient.window = window;
  nudge.xclient.message_type = nudge_;
  nudge.xclient.format = 32;
  // With no event mask the event goes to the client that made the window.
  XSendEvent(display_, window, False, NoEventMask, &nudge);
  XFlush(display_);
}

Window X11FocusPing::keyWindow() {
  Window focus = None;
  int revert = 0;
  XGetInputFocus(display_, &focus, &revert);
  const Window root = DefaultRootWindow(display_);
  if (focus == PointerRoot) {
    // The keys go to the window under the pointer.
    focus = root;
    for (;;) {
      Window pointer_root = None;
      Window child = None;
      int x = 0;
      int y = 0;
      int window_x = 0;
      int window_y = 0;
      unsigned mask = 0;
      if (!XQueryPointer(display_, focus, &pointer_root, &child, &x, &y, &window_x, &window_y,
                         &mask) ||
          child == None) {
        break;
      }
      focus = child;
    }
  }
  return focus;
}

Window X11FocusPing::pingableFocus() {
  const Window root = DefaultRootWindow(display_);
  for (Window window = keyWindow(); window != None && window != root;) {
    if (takesPings(window)) return window;
    Window window_root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, window, &window_root, &parent, &children, &count)) break;
    if (children != nullptr) XFree(children);
    window = parent;
  }
  return None;
}

bool X11FocusPing::takesPings(Window window) {
  Atom* protocols = nullptr;
  int count = 0;
  if (!XGetWMProtocols(display_, window, &protocols, &count)) return false;
  const bool takes = std::find(protocols, protocols + count, ping_) != protocols + count;
  XFree(protocols);
  return takes;
}

}  // namespace mivo::platform
