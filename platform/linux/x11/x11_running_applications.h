#pragma once

#include "platform/linux/x11/x11_display.h"
#include "platform/running_applications.h"

namespace mivo::platform {

// The running applications on the X display that DISPLAY names. X has no
// applications, only windows: an instance is a window at the top of the
// window tree (the client in a window manager's frame) whose WM_CLASS class
// equals the bundle identifier exactly, in stacking order, the lowest first.
// A window without WM_CLASS (or with an empty class) is no instance of any
// application. Menus and tooltips (override-redirect windows) are none, and neither is a
// window that its application keeps withdrawn (unmapped and not iconic), so
// that "show" never maps a window that was never meant to be seen.
//
// Hiding iconifies the window (ICCCM's WM_CHANGE_STATE request) when a window
// manager runs. Without one nobody would, so the window is unmapped, and
// marked iconic in WM_STATE in the manager's place, so that it is found again
// as an instance; unhiding maps it and takes the mark away again. With a
// window manager, unhiding maps it, which deiconifies it.
//
// Activating raises the window and gives it the keyboard focus: through the
// window manager's _NET_ACTIVE_WINDOW where it has one (sent as a pager
// would, so that focus-stealing prevention lets it through), else by setting
// the input focus on it, when it is viewable by then. Each request waits
// until the server has handled it; the window manager acts in its own time.
class X11RunningApplications : public RunningApplications {
 public:
  // Empty when the display cannot be opened. The instances must not outlive
  // this.
  std::vector<std::unique_ptr<RunningApplication>> withBundleIdentifier(
      std::string_view identifier) override;

 private:
  X11DisplayOnDemand display_;
};

}  // namespace mivo::platform
