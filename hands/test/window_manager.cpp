#include "hands/test/window_manager.h"

#include <X11/Xlib.h>

#include <stdexcept>

#include "hands/test/x_app_window.h"

namespace mivo::test {
namespace {

// Window titles in a font named here, not the machine's "sans", which other
// font packages can change; the rest is Openbox's own defaults.
constexpr const char* kConfiguration = R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <theme>
    <name>Clearlooks</name>
    <font place="ActiveWindow"><name>DejaVu Sans</name><size>8</size><weight>bold</weight></font>
    <font place="InactiveWindow"><name>DejaVu Sans</name><size>8</size><weight>bold</weight></font>
  </theme>
</openbox_config>
)";

// Whether a client redirects the requests of the root's children, and the
// manager has said which features it supports: then it has set itself up.
bool manages(Display* display) {
  XWindowAttributes root;
  if (!XGetWindowAttributes(display, DefaultRootWindow(display), &root)) return false;
  if ((root.all_event_masks & SubstructureRedirectMask) == 0) return false;
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(display, DefaultRootWindow(display),
                     XInternAtom(display, "_NET_SUPPORTED", False), 0, 1, False, AnyPropertyType,
                     &type, &format, &count, &after, &data);
  if (data != nullptr) XFree(data);
  return count > 0;
}

// Whether the manager shows a window of its own within 10 s: a map request
// that comes while it is still starting is dropped, so the window is mapped
// again until it shows.
bool showsAWindow(Display* display) {
  const Window probe =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
  int attempts = 0;
  const bool shown = holdsWithin([&] {
    if (attempts++ % 20 == 0) XMapWindow(display, probe);
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, probe, &attributes) && attributes.map_state == IsViewable;
  });
  XDestroyWindow(display, probe);
  XSync(display, False);
  return shown;
}

}  // namespace

WindowManager::WindowManager(const std::string& display) {
  const std::string configuration = home_.writeFile("rc.xml", kConfiguration);
  openbox_.emplace(
      std::vector<std::string>{"openbox", "--sm-disable", "--config-file", configuration},
      std::map<std::string, std::optional<std::string>>{{"DISPLAY", display},
                                                        {"HOME", home_.path()},
                                                        {"XDG_CONFIG_HOME", std::nullopt},
                                                        {"XDG_CACHE_HOME", std::nullopt}});
  Display* connection = XOpenDisplay(display.c_str());
  const bool up = connection != nullptr && holdsWithin([&] { return manages(connection); }) &&
                  showsAWindow(connection);
  if (connection != nullptr) XCloseDisplay(connection);
  if (!up) throw std::runtime_error("openbox did not manage " + display + " within 10 s");
}

}  // namespace mivo::test
