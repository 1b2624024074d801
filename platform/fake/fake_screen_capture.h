#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/screen_capture.h"

namespace mivo::platform {

// Scripted screen capture that records every call, in order, into a log it
// may share with other fakes. Unless a script says otherwise there is one
// display, number 1, of 1512 × 982 points, which is the main one, with a
// pixel scale of 2, and no application; a capture gives a black image of the
// configured size. Entries:
//   "shareable content"
//   "main display id"
//   "content filter of display 1 without com.a, com.b" ("without nothing")
//   "capture (1400, 900, 112, 82) at 224 x 164 with the pointer"
//     ("capture the whole display at ...", "... without the pointer")
class FakeScreenCapture : public ScreenCapture {
 public:
  explicit FakeScreenCapture(std::vector<std::string>& calls) : calls_(calls) {}

  void setDisplays(std::vector<ShareableDisplay> displays) { displays_ = std::move(displays); }
  void setMainDisplayID(DisplayID id) { main_display_id_ = id; }
  void setPointPixelScale(float scale) { point_pixel_scale_ = scale; }
  // The running applications, by bundle identifier, in the system's order.
  void setApplications(std::vector<std::string> identifiers) {
    applications_ = std::move(identifiers);
  }
  // The content request raises CaptureError with `description`.
  void failContent(std::string description) { content_failure_ = std::move(description); }
  // The capture raises CaptureError with `description`.
  void failCapture(std::string description) { capture_failure_ = std::move(description); }
  // The captured image comes out at this size rather than the configured one.
  void setImageSize(std::int64_t width, std::int64_t height) { image_size_ = {width, height}; }

  ShareableContent shareableContent() override;
  DisplayID mainDisplayID() override;
  ContentFilter contentFilter(const ShareableDisplay& display,
                              const std::vector<ShareableApplication>& excluded) override;
  RgbImage captureImage(const ContentFilter& filter,
                        const StreamConfiguration& configuration) override;

 private:
  struct Size {
    std::int64_t width;
    std::int64_t height;
  };

  std::vector<std::string>& calls_;
  std::vector<ShareableDisplay> displays_ = {{1, 1512, 982}};
  DisplayID main_display_id_ = 1;
  float point_pixel_scale_ = 2;
  std::vector<std::string> applications_;
  std::optional<std::string> content_failure_;
  std::optional<std::string> capture_failure_;
  std::optional<Size> image_size_;
};

}  // namespace mivo::platform
