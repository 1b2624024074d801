#include "platform/linux/x11/x11_running_applications.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <string>

#include "platform/linux/x11/deferred_termination_signals.h"
#include "platform/linux/x11/x11_top_level_windows.h"

namespace mivo::platform {
namespace {

// _NET_ACTIVE_WINDOW's source indication for a pager, which stands for the
// person's own choice.
constexpr long kFromPager = 2;

bool isInstance(const X11TopLevelWindow& window, std::string_view identifier) {
  // A window without a class belongs to no application, also when the
  // identifier asked for is empty.
  if (window.wmClass.empty()) return false;
  if (window.overrideRedirect || window.wmClass != identifier) return false;
  if (window.state) {
    return *window.state == X11WindowState::normal || *window.state == X11WindowState::iconic;
  }
  return window.viewable;
}

// Whether the running window manager supports `feature` (an atom's name) as
// its _NET_SUPPORTED list says; a list that a manager left behind when it
// ended counts for nothing.
bool windowManagerSupports(Display* display, Window root, const char* feature) {
  if (!windowManagerRuns(display, root)) return false;
  const Atom supported = XInternAtom(display, "_NET_SUPPORTED", False);
  const Atom wanted = XInternAtom(display, feature, False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, root, supported, 0, 4096, False, XA_ATOM, &type, &format, &count,
                         &after, &data) != Success) {
    return false;
  }
  bool found = false;
  if (type == XA_ATOM && format == 32) {
    // Format 32 comes as longs, whatever their size.
    const auto* atoms = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; i < count && !found; ++i) found = atoms[i] == wanted;
  }
  if (data != nullptr) XFree(data);
  return found;
}

class X11RunningApplication : public RunningApplication {
 public:
  X11RunningApplication(X11Display& display, Window window) : display_(display), window_(window) {}

  bool hide() override {
    Display* handle = display_.handle();
    // Marked and unmapped together, or not at all: a window unmapped without
    // its mark could never be shown again.
    const DeferredTerminationSignals deferred;
    if (windowManagerRuns(handle, display_.root())) {
      XIconifyWindow(handle, window_, display_.screen());
    } else {
      setIconicMark();
      XUnmapWindow(handle, window_);
    }
    return display_.sync();
  }

  bool unhide() override {
    Display* handle = display_.handle();
    const DeferredTerminationSignals deferred;
    const bool managed = windowManagerRuns(handle, display_.root());
    XMapWindow(handle, window_);
    if (!managed) XDeleteProperty(handle, window_, wmState());
    return display_.sync();
  }

  bool activate() override {
    Display* handle = display_.handle();
    XRaiseWindow(handle, window_);
    if (windowManagerSupports(handle, display_.root(), "_NET_ACTIVE_WINDOW")) {
      XEvent event{};
      event.xclient.type = ClientMessage;
      event.xclient.window = window_;
      event.xclient.message_type = XInternAtom(handle, "_NET_ACTIVE_WINDOW", False);
      event.xclient.format = 32;
      event.xclient.data.l[0] = kFromPager;
      event.xclient.data.l[1] = CurrentTime;
      XSendEvent(handle, display_.root(), False, SubstructureRedirectMask | SubstructureNotifyMask,
                 &event);
      return display_.sync();
    }
    // The server refuses the focus for a window that is not on the screen.
    XWindowAttributes attributes;
    if (XGetWindowAttributes(handle, window_, &attributes) && attributes.map_state == IsViewable) {
      XSetInputFocus(handle, window_, RevertToParent, CurrentTime);
    }
    return display_.sync();
  }

 private:
  Atom wmState() { return XInternAtom(display_.handle(), "WM_STATE", False); }

  void setIconicMark() {
    // The state and the icon window, as ICCCM lays WM_STATE out.
    const long state[2] = {static_cast<long>(X11WindowState::iconic), None};
    XChangeProperty(display_.handle(), window_, wmState(), wmState(), 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(state), 2);
  }

  X11Display& display_;
  Window window_;
};

}  // namespace

std::vector<std::unique_ptr<RunningApplication>> X11RunningApplications::withBundleIdentifier(
    std::string_view identifier) {
  std::vector<std::unique_ptr<RunningApplication>> instances;
  X11Display* display = display_.get();
  if (display == nullptr) return instances;
  for (const X11TopLevelWindow& window : topLevelWindows(display->handle(), display->root())) {
    if (isInstance(window, identifier)) {
      instances.push_back(std::make_unique<X11RunningApplication>(*display, window.client));
    }
  }
  // Windows that went away while they were looked at cost errors that are
  // no failure of the requests that follow.
  display->sync();
  return instances;
}

}  // namespace mivo::platform
