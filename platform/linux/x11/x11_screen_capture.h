#pragma once

#include <vector>

#include "platform/linux/x11/x11_display.h"
#include "platform/linux/x11/x11_monitors.h"
#include "platform/screen_capture.h"

namespace mivo::platform {

// Screen capture on the X display that DISPLAY names.
//
// Displays are the RandR monitors, numbered by their names' atoms; the
// primary one is the main display, else the first. A point is a pixel, so
// the pixel scale is 1. Applications are the classes of WM_CLASS of the
// windows on the screen, in stacking order (the lowest first): the class
// stands for the bundle identifier.
//
// A capture reads the pixels of the requested rectangle of the root window,
// as far as it lies on the screen (their colours from the visual's masks, or
// from the root's colour map where the pixel values index one, as on a
// PseudoColor screen of 8 bits), leaves an excluded application out by
// painting the visible parts of its windows black (the server keeps no
// picture of what lies behind a window without a compositor), draws the
// pointer in from the XFixes cursor image, blended at its hot spot, and
// scales to the configured size by averaging areas.
class X11ScreenCapture : public ScreenCapture {
 public:
  // Raises CaptureError when the display cannot be opened.
  ShareableContent shareableContent() override;
  // The main display of the last shareable content; 0 before any.
  DisplayID mainDisplayID() override;
  ContentFilter contentFilter(const ShareableDisplay& display,
                              const std::vector<ShareableApplication>& excluded) override;
  // Raises CaptureError when the display is gone or its pixels cannot be
  // read.
  RgbImage captureImage(const ContentFilter& filter,
                        const StreamConfiguration& configuration) override;

 private:
  X11DisplayOnDemand display_;
  // The monitors of the last shareable content.
  std::vector<X11Monitor> monitors_;
};

}  // namespace mivo::platform
