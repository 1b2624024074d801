#include "hands/test/x_client_windows.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <fstream>
#include <stdexcept>
#include <iterator>
#include <vector>

namespace mivo::test {
namespace {

bool isViewableAndNamed(Display* display, Window window, const std::string& name) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) {
    return false;
  }
  char* window_name = nullptr;
  if (!XFetchName(display, window, &window_name) || window_name == nullptr) return false;
  const bool named = name == window_name;
  XFree(window_name);
  return named;
}

std::optional<Window> findBelow(Display* display, Window parent, const std::string& name) {
  Window root = 0;
  Window up = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, parent, &root, &up, &children, &count)) return std::nullopt;
  const std::vector<Window> below(children, children + count);
  if (children != nullptr) XFree(children);
  for (const Window child : below) {
    if (isViewableAndNamed(display, child, name)) return child;
    if (const std::optional<Window> found = findBelow(display, child, name)) return found;
  }
  return std::nullopt;
}

int ignore(Display*, XErrorEvent*) { return 0; }

}  // namespace

std::optional<Window> viewableWindowNamed(Display* display, const std::string& name) {
  // Windows come and go while the tree is read.
  XSync(display, False);
  const XErrorHandler previous = XSetErrorHandler(ignore);
  const std::optional<Window> found = findBelow(display, DefaultRootWindow(display), name);
  XSync(display, False);
  XSetErrorHandler(previous);
  return found;
}

void focusAt(Display* display, Window window, int x, int y) {
  XWarpPointer(display, None, window, 0, 0, 0, 0, x, y);
  XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
  XSync(display, False);
}

std::string fileContents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void lockCapitals(const std::string& display, bool locked) {
  Display* connection = XOpenDisplay(display.c_str());
  if (connection == nullptr) throw std::runtime_error("cannot open the X display " + display);
  XkbLockModifiers(connection, XkbUseCoreKbd, LockMask, locked ? LockMask : 0);
  XSync(connection, False);
  XCloseDisplay(connection);
}

void pressKey(Display* display, KeySym keysym, bool control) {
  const KeyCode control_key = XKeysymToKeycode(display, XK_Control_L);
  const KeyCode key = XKeysymToKeycode(display, keysym);
  if (control) XTestFakeKeyEvent(display, control_key, True, CurrentTime);
  XTestFakeKeyEvent(display, key, True, CurrentTime);
  XTestFakeKeyEvent(display, key, False, CurrentTime);
  if (control) XTestFakeKeyEvent(display, control_key, False, CurrentTime);
  XSync(display, False);
}

}  // namespace mivo::test
