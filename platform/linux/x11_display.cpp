#include "platform/linux/x11_display.h"

#include <X11/extensions/Xrandr.h>

namespace mivo::platform {
namespace {

// Xlib reports errors through one handler for the whole process.
int errors_reported = 0;

int countError(Display*, XErrorEvent*) {
  ++errors_reported;
  return 0;
}

// Monitors came with RandR 1.5.
bool hasMonitors(Display* display) {
  int event_base = 0;
  int error_base = 0;
  int major = 0;
  int minor = 0;
  return XRRQueryExtension(display, &event_base, &error_base) &&
         XRRQueryVersion(display, &major, &minor) && (major > 1 || (major == 1 && minor >= 5));
}

}  // namespace

std::unique_ptr<X11Display> X11Display::open() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  XSetErrorHandler(countError);
  return std::unique_ptr<X11Display>(new X11Display(display));
}

std::string X11Display::name() { return XDisplayName(nullptr); }

X11Display::X11Display(Display* display)
    : display_(display), screen_(DefaultScreen(display)), errors_at_last_sync_(errors_reported) {
  findMainDisplay();
  // An error from a RandR request leaves the origin at the screen's corner;
  // it must not count against the first request of a backend.
  sync();
}

void X11Display::findMainDisplay() {
  if (!hasMonitors(display_)) return;
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(display_, root(), True, &count);
  if (monitors == nullptr) return;
  for (int i = 0; i < count; ++i) {
    if (monitors[i].primary || i == 0) {
      main_x_ = monitors[i].x;
      main_y_ = monitors[i].y;
    }
    if (monitors[i].primary) break;
  }
  XRRFreeMonitors(monitors);
}

X11Display::~X11Display() { XCloseDisplay(display_); }

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
