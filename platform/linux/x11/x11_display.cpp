#include "platform/linux/x11/x11_display.h"

#include "platform/linux/x11/x11_monitors.h"

namespace mivo::platform {
namespace {

// Xlib reports errors through one handler for the whole process.
int errors_reported = 0;

int countError(Display*, XErrorEvent*) {
  ++errors_reported;
  return 0;
}

bool connection_lost = false;
void (*when_lost)() = nullptr;

// Xlib ends the process when this returns.
int endRunOnLostConnection(Display*) {
  connection_lost = true;
  if (when_lost != nullptr) when_lost();
  return 0;
}

}  // namespace

std::unique_ptr<X11Display> X11Display::open() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  XSetErrorHandler(countError);
  XSetIOErrorHandler(endRunOnLostConnection);
  return std::unique_ptr<X11Display>(new X11Display(display));
}

std::string X11Display::name() { return XDisplayName(nullptr); }

void X11Display::whenLost(void (*lost)()) { when_lost = lost; }

bool X11Display::lost() { return connection_lost; }

X11Display::X11Display(Display* display)
    : display_(display), screen_(DefaultScreen(display)), errors_at_last_sync_(errors_reported) {
  findMainDisplay();
  // An error from a RandR request leaves the origin at the screen's corner;
  // it must not count against the first request of a backend.
  sync();
}

void X11Display::findMainDisplay() {
  const std::vector<X11Monitor> monitors = x11Monitors(display_, root());
  const X11Monitor* main = mainMonitor(monitors);
  if (main == nullptr) return;
  main_x_ = main->x;
  main_y_ = main->y;
}

X11Display::~X11Display() {
  // Closing a broken connection would find it broken again.
  if (!connection_lost) XCloseDisplay(display_);
}

void X11Display::takeInEvents() {
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    // So that keysyms are looked up in the map as it is now.
    if (event.type == MappingNotify) XRefreshKeyboardMapping(&event.xmapping);
  }
}

X11Display* X11DisplayOnDemand::get() {
  if (!tried_opening_) {
    tried_opening_ = true;
    display_ = X11Display::open();
  }
  return display_.get();
}

int X11DisplayOnDemand::descriptor() {
  return display_ ? ConnectionNumber(display_->handle()) : -1;
}

void X11DisplayOnDemand::takeIn() {
  if (display_) display_->takeInEvents();
}

std::optional<X11Display::Pixel> X11Display::pointer() const {
  Window pointer_root = 0;
  Window child = 0;
  Pixel on_root{0, 0};
  int window_x = 0;
  int window_y = 0;
  unsigned buttons_and_keys = 0;
  if (!XQueryPointer(display_, root(), &pointer_root, &child, &on_root.x, &on_root.y, &window_x,
                     &window_y, &buttons_and_keys)) {
    return std::nullopt;
  }
  return on_root;
}

bool X11Display::sync() {
  XSync(display_, False);
  const bool clean = errors_reported == errors_at_last_sync_;
  errors_at_last_sync_ = errors_reported;
  return clean;
}

}  // namespace mivo::platform
