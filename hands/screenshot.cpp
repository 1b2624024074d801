#include "hands/screenshot.h"

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "hands/screenshot_size.h"
#include "platform/foundation/base64.h"
#include "see/finish/finish.h"

namespace mivo::hands {
namespace {

using platform::ShareableApplication;
using platform::ShareableDisplay;

constexpr std::string_view kNoDisplay = "mivo-hands: no display to see";
constexpr std::string_view kNoJpeg = "mivo-hands: could not make a JPEG";
constexpr std::string_view kOutsideDisplay = "mivo-hands: the rect lies outside the display";
constexpr std::string_view kTooLarge = "mivo-hands: the screenshot would be too large";

constexpr double kDefaultMax = 1280;
constexpr double kDefaultQuality = 0.55;

// The main display, else the first one listed; there is one at least.
const ShareableDisplay& chosenDisplay(const std::vector<ShareableDisplay>& displays,
                                      platform::DisplayID main) {
  for (const ShareableDisplay& display : displays) {
    if (display.displayID == main) return display;
  }
  return displays.front();
}

std::vector<ShareableApplication> leftOut(const std::vector<ShareableApplication>& applications,
                                          const std::set<std::string>& excluded) {
  std::vector<ShareableApplication> matching;
  for (const ShareableApplication& application : applications) {
    if (excluded.count(application.bundleIdentifier) != 0) matching.push_back(application);
  }
  return matching;
}

}  // namespace

Answer screenshot(const Request& request, Events&, const Services& services) {
  const double max = request.number("max").value_or(kDefaultMax);
  const double quality = request.number("quality").value_or(kDefaultQuality);
  const std::vector<std::string> exclude =
      request.texts("exclude").value_or(std::vector<std::string>{});
  const std::set<std::string> excluded(exclude.begin(), exclude.end());
  platform::ScreenCapture& capture = services.screenCapture;

  const platform::ShareableContent content = capture.shareableContent();
  if (content.displays.empty()) finish(1, kNoDisplay);
  const ShareableDisplay& display = chosenDisplay(content.displays, capture.mainDisplayID());
  const platform::ContentFilter filter =
      capture.contentFilter(display, leftOut(content.applications, excluded));
  platform::StreamConfiguration configuration;

  // The display's size in points.
  const double width = static_cast<double>(display.width);
  const double height = static_cast<double>(display.height);
  platform::Rect r{0, 0, width, height};
  if (const std::optional<std::vector<double>> rect = request.numbers("rect", 4)) {
    const std::optional<platform::Rect> clipped =
        clippedToDisplay((*rect)[0], (*rect)[1], (*rect)[2], (*rect)[3], width, height);
    // An empty rectangle has no size to scale, nor anything to capture.
    if (!clipped) finish(1, kOutsideDisplay);
    r = *clipped;
    configuration.sourceRect = r;
  }

  const std::optional<PixelSize> size = outputSize(r, max, filter.pointPixelScale);
  if (!size) finish(1, kTooLarge);
  configuration.width = size->width;
  configuration.height = size->height;
  configuration.showsCursor = true;

  const platform::RgbImage image = capture.captureImage(filter, configuration);
  const std::optional<std::string> jpeg = services.jpeg.jpegData(image, quality);
  if (!jpeg) finish(1, kNoJpeg);

  return {{
      {"width", static_cast<double>(image.width)},
      {"height", static_cast<double>(image.height)},
      {"points", std::vector<double>{width, height}},
      {"jpeg", foundation::base64(*jpeg)},
  }};
}

}  // namespace mivo::hands
