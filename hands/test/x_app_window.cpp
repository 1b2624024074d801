#include "hands/test/x_app_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <stdexcept>
#include <thread>

namespace mivo::test {

XAppWindow::XAppWindow(const std::string& display, const std::string& wm_class,
                       const std::string& colour, Place place, bool mapped) {
  display_ = XOpenDisplay(display.c_str());
  if (display_ == nullptr) throw std::runtime_error("cannot open the X display " + display);
  const int screen = DefaultScreen(display_);
  XColor shown;
  XColor exact;
  if (!XAllocNamedColor(display_, DefaultColormap(display_, screen), colour.c_str(), &shown,
                        &exact)) {
    XCloseDisplay(display_);
    throw std::runtime_error("no colour " + colour);
  }
  XSetWindowAttributes attributes;
  attributes.background_pixel = shown.pixel;
  window_ = XCreateWindow(display_, RootWindow(display_, screen), place.x, place.y,
                          static_cast<unsigned>(place.width), static_cast<unsigned>(place.height),
                          0, CopyFromParent, InputOutput, CopyFromParent, CWBackPixel, &attributes);
  if (!wm_class.empty()) {
    std::string name = wm_class;
    XClassHint hint{name.data(), name.data()};
    XSetClassHint(display_, window_, &hint);
  }
  // Asked for where it was made, so that a window manager leaves it there.
  XSizeHints size{};
  size.flags = USPosition | USSize;
  size.x = place.x;
  size.y = place.y;
  size.width = place.width;
  size.height = place.height;
  XSetWMNormalHints(display_, window_, &size);
  if (!mapped) {
    XSync(display_, False);
    return;
  }
  XMapWindow(display_, window_);
  XSync(display_, False);
  if (!holdsWithin([&] { return viewable(); })) {
    XCloseDisplay(display_);
    throw std::runtime_error("the window of " + wm_class + " did not show");
  }
}

XAppWindow::~XAppWindow() { XCloseDisplay(display_); }

XWindowAttributes XAppWindow::attributes() {
  XWindowAttributes attributes{};
  XGetWindowAttributes(display_, window_, &attributes);
  return attributes;
}

bool XAppWindow::framed() {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display_, window_, &root, &parent, &children, &count) == 0) return false;
  if (children != nullptr) XFree(children);
  return parent != root;
}

XAppWindow::Place XAppWindow::onScreen() {
  const XWindowAttributes now = attributes();
  int x = 0;
  int y = 0;
  Window child = 0;
  XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
  return {x, y, now.width, now.height};
}

bool XAppWindow::viewable() { return attributes().map_state == IsViewable; }

bool XAppWindow::mapped() { return attributes().map_state != IsUnmapped; }

bool XAppWindow::focused() {
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display_, &focus, &revert);
  return focus == window_;
}

long XAppWindow::wmState() {
  const Atom wm_state = XInternAtom(display_, "WM_STATE", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  long state = -1;
  if (XGetWindowProperty(display_, window_, wm_state, 0, 2, False, wm_state, &type, &format, &count,
                         &after, &data) == Success &&
      type == wm_state && format == 32 && count >= 1) {
    state = reinterpret_cast<long*>(data)[0];
  }
  if (data != nullptr) XFree(data);
  return state;
}

bool holdsWithin(const std::function<bool()>& condition, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace mivo::test
