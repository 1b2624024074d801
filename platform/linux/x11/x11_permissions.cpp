#include "platform/linux/x11/x11_permissions.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace mivo::platform {

bool X11Permissions::preflightScreenCaptureAccess() {
  X11Display* display = display_.get();
  if (display == nullptr) return false;
  XImage* pixel = XGetImage(display->handle(), display->root(), 0, 0, 1, 1, AllPlanes, ZPixmap);
  if (pixel != nullptr) XDestroyImage(pixel);
  // An error of the request is no error of a later one.
  display->sync();
  return pixel != nullptr;
}

bool X11Permissions::requestScreenCaptureAccess() { return preflightScreenCaptureAccess(); }

bool X11Permissions::isProcessTrusted() {
  X11Display* display = display_.get();
  if (display == nullptr) return false;
  int event_base = 0;
  int error_base = 0;
  int major = 0;
  int minor = 0;
  return XTestQueryExtension(display->handle(), &event_base, &error_base, &major, &minor);
}

bool X11Permissions::isProcessTrustedWithPrompt() { return isProcessTrusted(); }

}  // namespace mivo::platform
