#include "hands/test/x_test_window.h"

#include <X11/XKBlib.h>
#include <poll.h>

#include <cstdio>
#include <stdexcept>
#include <utility>

namespace mivo::test {
namespace {

std::string hex(unsigned value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "0x%x", value);
  return digits;
}

std::string at(int x, int y) { return "at (" + std::to_string(x) + ", " + std::to_string(y) + ")"; }

}  // namespace

XTestWindow::XTestWindow(const std::string& display) {
  display_ = XOpenDisplay(display.c_str());
  if (display_ == nullptr) throw std::runtime_error("cannot open the X display " + display);
  const int screen = DefaultScreen(display_);
  window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0,
                                DisplayWidth(display_, screen), DisplayHeight(display_, screen), 0,
                                BlackPixel(display_, screen), WhitePixel(display_, screen));
  XSelectInput(display_, window_,
               StructureNotifyMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask);
  XMapWindow(display_, window_);
  // Without a window manager the window is mapped as soon as the server has
  // handled the request.
  XSync(display_, False);
  XEvent event;
  if (!XCheckTypedWindowEvent(display_, window_, MapNotify, &event)) {
    XCloseDisplay(display_);
    throw std::runtime_error("the test window did not show");
  }
  takePointerEvents();
}

XTestWindow::~XTestWindow() { XCloseDisplay(display_); }

std::vector<std::string> XTestWindow::takePointerEvents() {
  XSync(display_, False);
  readEvents();
  return std::exchange(events_, {});
}

bool XTestWindow::watch(std::chrono::milliseconds wait) {
  const std::size_t before = events_.size();
  pollfd entry{ConnectionNumber(display_), POLLIN, 0};
  if (XPending(display_) == 0) ::poll(&entry, 1, static_cast<int>(wait.count()));
  readEvents();
  return events_.size() > before;
}

void XTestWindow::grabServer() {
  XGrabServer(display_);
  XSync(display_, False);
}

void XTestWindow::ungrabServer() {
  XUngrabServer(display_);
  XSync(display_, False);
}

void XTestWindow::readEvents() {
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    switch (event.type) {
      case MotionNotify:
        events_.push_back("motion " + at(event.xmotion.x, event.xmotion.y) + " state " +
                          hex(event.xmotion.state));
        break;
      case ButtonPress:
      case ButtonRelease:
        events_.push_back(std::string(event.type == ButtonPress ? "press " : "release ") +
                          std::to_string(event.xbutton.button) + " " +
                          at(event.xbutton.x, event.xbutton.y) + " state " +
                          hex(event.xbutton.state));
        break;
      default:
        break;
    }
  }
}

unsigned XTestWindow::heldButtonsAndModifiers() {
  Window root = 0;
  Window child = 0;
  int root_x = 0;
  int root_y = 0;
  int window_x = 0;
  int window_y = 0;
  unsigned mask = 0;
  XQueryPointer(display_, window_, &root, &child, &root_x, &root_y, &window_x, &window_y, &mask);
  return mask;
}

std::vector<std::string> XTestWindow::modifierKeysDown() {
  char keys[32];
  XQueryKeymap(display_, keys);
  std::vector<std::string> down;
  XModifierKeymap* modifiers = XGetModifierMapping(display_);
  for (int i = 0; i < 8 * modifiers->max_keypermod; ++i) {
    const KeyCode code = modifiers->modifiermap[i];
    if (code != 0 && (keys[code / 8] >> (code % 8)) & 1) {
      const char* name = XKeysymToString(XkbKeycodeToKeysym(display_, code, 0, 0));
      down.push_back(name != nullptr ? name : "keycode " + std::to_string(code));
    }
  }
  XFreeModifiermap(modifiers);
  return down;
}

}  // namespace mivo::test
