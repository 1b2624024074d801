#include "platform/linux/x11/x11_top_level_windows.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace mivo::platform {
namespace {

// The children of `window`, the lowest first; empty when it has gone.
std::vector<Window> children(Display* display, Window window) {
  Window root = 0;
  Window parent = 0;
  Window* listed = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, window, &root, &parent, &listed, &count)) return {};
  std::vector<Window> result(listed, listed + count);
  if (listed != nullptr) XFree(listed);
  return result;
}

// The first window with WM_STATE in the tree under `window`, itself
// included, breadth first, as window managers put a client a level or two
// below its frame.
std::optional<Window> clientWithin(Display* display, Window window) {
  std::vector<Window> level = {window};
  while (!level.empty()) {
    std::vector<Window> next;
    for (const Window candidate : level) {
      if (windowState(display, candidate)) return candidate;
      for (const Window child : children(display, candidate)) next.push_back(child);
    }
    level = std::move(next);
  }
  return std::nullopt;
}

std::string wmClass(Display* display, Window window) {
  XClassHint hint{nullptr, nullptr};
  if (!XGetClassHint(display, window, &hint)) return "";
  std::string name = hint.res_class != nullptr ? hint.res_class : "";
  if (hint.res_name != nullptr) XFree(hint.res_name);
  if (hint.res_class != nullptr) XFree(hint.res_class);
  return name;
}

}  // namespace

std::optional<X11WindowState> windowState(Display* display, Window window) {
  const Atom wm_state = XInternAtom(display, "WM_STATE", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, wm_state, 0, 2, False, wm_state, &type, &format, &count,
                         &after, &data) != Success) {
    return std::nullopt;
  }
  std::optional<X11WindowState> state;
  // Format 32 comes as longs, whatever their size.
  if (type == wm_state && format == 32 && count >= 1) {
    state = static_cast<X11WindowState>(reinterpret_cast<long*>(data)[0]);
  }
  if (data != nullptr) XFree(data);
  return state;
}

std::vector<X11TopLevelWindow> topLevelWindows(Display* display, Window root) {
  std::vector<X11TopLevelWindow> windows;
  for (const Window frame : children(display, root)) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, frame, &attributes)) continue;
    const Window client = clientWithin(display, frame).value_or(frame);
    const int border = attributes.border_width;
    windows.push_back({frame, client, wmClass(display, client), windowState(display, client),
                       attributes.map_state == IsViewable, attributes.override_redirect != 0,
                       attributes.x, attributes.y, attributes.width + 2 * border,
                       attributes.height + 2 * border});
  }
  return windows;
}

bool windowManagerRuns(Display* display, Window root) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, root, &attributes)) return false;
  return (attributes.all_event_masks & SubstructureRedirectMask) != 0;
}

}  // namespace mivo::platform
