#include "platform/fake/fake_screen_capture.h"

#include <charconv>

namespace mivo::platform {
namespace {

std::string shortest(double value) {
  char digits[32];
  const auto written = std::to_chars(digits, digits + sizeof digits, value);
  return std::string(digits, written.ptr);
}

}  // namespace

ShareableContent FakeScreenCapture::shareableContent() {
  calls_.push_back("shareable content");
  if (content_failure_) throw CaptureError(*content_failure_);
  ShareableContent content{displays_, {}};
  for (const std::string& identifier : applications_) content.applications.push_back({identifier});
  return content;
}

DisplayID FakeScreenCapture::mainDisplayID() {
  calls_.push_back("main display id");
  return main_display_id_;
}

ContentFilter FakeScreenCapture::contentFilter(const ShareableDisplay& display,
                                               const std::vector<ShareableApplication>& excluded) {
  std::string names;
  for (const ShareableApplication& application : excluded) {
    names += (names.empty() ? "" : ", ") + application.bundleIdentifier;
  }
  calls_.push_back("content filter of display " + std::to_string(display.displayID) + " without " +
                   (names.empty() ? "nothing" : names));
  return {display, excluded, point_pixel_scale_};
}

RgbImage FakeScreenCapture::captureImage(const ContentFilter&,
                                         const StreamConfiguration& configuration) {
  const std::optional<Rect>& source = configuration.sourceRect;
  calls_.push_back("capture " +
                   (source ? "(" + shortest(source->x) + ", " + shortest(source->y) + ", " +
                                 shortest(source->width) + ", " + shortest(source->height) + ")"
                           : std::string("the whole display")) +
                   " at " + std::to_string(configuration.width) + " x " +
                   std::to_string(configuration.height) +
                   (configuration.showsCursor ? " with the pointer" : " without the pointer"));
  if (capture_failure_) throw CaptureError(*capture_failure_);
  const Size size = image_size_.value_or(Size{configuration.width, configuration.height});
  return {size.width, size.height,
          std::vector<std::uint8_t>(static_cast<std::size_t>(size.width * size.height * 3))};
}

}  // namespace mivo::platform
