#pragma once

#include <X11/Xlib.h>

#include <optional>
#include <string>
#include <vector>

namespace mivo::platform {

// The ICCCM states of a client window, as its window manager records them in
// its WM_STATE property.
enum class X11WindowState : long {
  withdrawn = 0,
  normal = 1,
  iconic = 3,
};

// One window at the top of the window tree: a child of the root, and the
// application's window within it.
struct X11TopLevelWindow {
  // The child of the root: the application's window itself, or the frame
  // that a window manager put around it.
  Window frame;
  // The application's window: the one in the frame that carries WM_STATE,
  // else the frame itself.
  Window client;
  // The class part of the client's WM_CLASS; empty without one.
  std::string wmClass;
  // The client's WM_STATE; none without one.
  std::optional<X11WindowState> state;
  // Whether the frame is on the screen (mapped, as are all its ancestors).
  bool viewable;
  // Whether the frame is one that window managers leave alone (a menu, a
  // tooltip).
  bool overrideRedirect;
  // The frame's outer rectangle on the root, its border included.
  int x;
  int y;
  int width;
  int height;
};

// The windows at the top of the tree under `root`, in stacking order, the
// lowest first. A window that goes away while it is looked at is left out;
// the X errors that this costs are counted by the display's handler.
std::vector<X11TopLevelWindow> topLevelWindows(Display* display, Window root);

// The window's WM_STATE; none without one.
std::optional<X11WindowState> windowState(Display* display, Window window);

// Whether a window manager runs: a client has asked the root for the
// redirection of its children's map and configure requests.
bool windowManagerRuns(Display* display, Window root);

}  // namespace mivo::platform
