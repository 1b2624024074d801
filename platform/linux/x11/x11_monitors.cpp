#include "platform/linux/x11/x11_monitors.h"

#include <X11/extensions/Xrandr.h>

namespace mivo::platform {
namespace {

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

std::vector<X11Monitor> x11Monitors(Display* display, Window root) {
  if (!hasMonitors(display)) {
    XWindowAttributes screen;
    if (!XGetWindowAttributes(display, root, &screen)) return {};
    return {{None, 0, 0, screen.width, screen.height, true}};
  }
  int count = 0;
  XRRMonitorInfo* listed = XRRGetMonitors(display, root, True, &count);
  std::vector<X11Monitor> monitors;
  for (int i = 0; i < count; ++i) {
    monitors.push_back({listed[i].name, listed[i].x, listed[i].y, listed[i].width, listed[i].height,
                        listed[i].primary != 0});
  }
  if (listed != nullptr) XRRFreeMonitors(listed);
  return monitors;
}

const X11Monitor* mainMonitor(const std::vector<X11Monitor>& monitors) {
  for (const X11Monitor& monitor : monitors) {
    if (monitor.primary) return &monitor;
  }
  return monitors.empty() ? nullptr : &monitors.front();
}

}  // namespace mivo::platform
