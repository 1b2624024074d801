#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/rgb_image.h"

namespace mivo::platform {

// The identifier of a display, as the system numbers them.
using DisplayID = std::uint32_t;

// A rectangle: its top-left corner and its size.
struct Rect {
  double x;
  double y;
  double width;
  double height;

  bool operator==(const Rect&) const = default;
};

// A display that can be captured, with its size in points.
struct ShareableDisplay {
  DisplayID displayID;
  std::int64_t width;
  std::int64_t height;
};

// A running application with windows on the screen.
struct ShareableApplication {
  std::string bundleIdentifier;
};

// What can be captured now: the displays and the running applications, each
// in the system's order.
struct ShareableContent {
  std::vector<ShareableDisplay> displays;
  std::vector<ShareableApplication> applications;
};

// What a capture sees: one display, without the windows of the excluded
// applications.
struct ContentFilter {
  ShareableDisplay display;
  std::vector<ShareableApplication> excludedApplications;
  // Pixels per point on the display (2 where two pixels make one point).
  float pointPixelScale;
};

// How a capture is made. Made with these defaults: the whole display, no size
// of its own and no pointer; a capture sets the size it wants.
struct StreamConfiguration {
  // In points, relative to the display's top-left corner; none: the whole
  // display.
  std::optional<Rect> sourceRect;
  // The image's size in pixels.
  std::int64_t width = 0;
  std::int64_t height = 0;
  // Whether the pointer is drawn into the image.
  bool showsCursor = false;
};

// Raised when the system will not give the content or the capture; what()
// is its description of why.
class CaptureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The system's screen capture: the shareable content, content filters and
// single-image capture. The two requests wait for their results.
class ScreenCapture {
 public:
  virtual ~ScreenCapture() = default;

  // The displays and the applications with windows on the screen, desktop
  // windows included; raises CaptureError.
  virtual ShareableContent shareableContent() = 0;

  // The identifier of the main display.
  virtual DisplayID mainDisplayID() = 0;

  // A filter of `display` without the windows of `excluded`, and no windows
  // excepted from that.
  virtual ContentFilter contentFilter(const ShareableDisplay& display,
                                      const std::vector<ShareableApplication>& excluded) = 0;

  // One image of what `filter` sees, made as `configuration` says; raises
  // CaptureError.
  virtual RgbImage captureImage(const ContentFilter& filter,
                                const StreamConfiguration& configuration) = 0;
};

}  // namespace mivo::platform
