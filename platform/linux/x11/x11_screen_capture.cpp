#include "platform/linux/x11/x11_screen_capture.h"

#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <string>
#include <unordered_map>

#include "platform/linux/x11/area_averaging.h"
#include "platform/linux/x11/blacked_out_rectangles.h"
#include "platform/linux/x11/pointer_drawing.h"
#include "platform/linux/x11/x11_top_level_windows.h"

namespace mivo::platform {
namespace {

// 16384 × 16384: beyond any screen, and within what memory can hold.
constexpr std::int64_t kMostPixels = std::int64_t{1} << 28;

using Colour = std::array<std::uint8_t, 3>;

// One colour of a pixel value, as the visual's mask places it.
struct Channel {
  unsigned long mask;
  int shift = 0;
  unsigned long most = 0;

  explicit Channel(unsigned long channel_mask) : mask(channel_mask) {
    if (mask == 0) return;
    while (((mask >> shift) & 1) == 0) ++shift;
    most = mask >> shift;
  }

  std::uint8_t of(unsigned long pixel) const {
    if (most == 0) return 0;
    return static_cast<std::uint8_t>(((pixel & mask) >> shift) * 255 / most);
  }
};

template <typename ColourOf>
RgbImage rgbOf(XImage* image, const ColourOf& colourOf) {
  RgbImage rgb{image->width, image->height,
               std::vector<std::uint8_t>(static_cast<std::size_t>(image->width) *
                                         static_cast<std::size_t>(image->height) * 3)};
  std::uint8_t* out = rgb.pixels.data();
  for (int y = 0; y < image->height; ++y) {
    for (int x = 0; x < image->width; ++x) {
      const Colour colour = colourOf(XGetPixel(image, x, y));
      out = std::copy(colour.begin(), colour.end(), out);
    }
  }
  return rgb;
}

// Whether the visual's pixel values are indexes into a colour map, which
// holds their colours, rather than colours made of masked bits.
bool indexesAColourMap(const Visual* visual) {
  switch (visual->c_class) {
    case PseudoColor:
    case StaticColor:
    case GrayScale:
    case StaticGray:
      return true;
    default:
      return false;
  }
}

// The colours of the distinct pixel values of `image`, as `colormap` holds
// them, asked for a few thousand at a time to keep each request small.
std::unordered_map<unsigned long, Colour> colourMapColours(Display* display, Colormap colormap,
                                                           XImage* image) {
  constexpr std::size_t kColoursPerRequest = 4096;
  std::unordered_map<unsigned long, Colour> colours;
  std::vector<XColor> asked;
  for (int y = 0; y < image->height; ++y) {
    for (int x = 0; x < image->width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      if (colours.emplace(pixel, Colour{}).second) asked.push_back(XColor{pixel, 0, 0, 0, 0, 0});
    }
  }
  for (std::size_t start = 0; start < asked.size(); start += kColoursPerRequest) {
    const std::size_t count = std::min(kColoursPerRequest, asked.size() - start);
    XQueryColors(display, colormap, asked.data() + start, static_cast<int>(count));
  }
  // Each colour comes in 16 bits.
  for (const XColor& colour : asked) {
    colours[colour.pixel] = {static_cast<std::uint8_t>(colour.red >> 8),
                             static_cast<std::uint8_t>(colour.green >> 8),
                             static_cast<std::uint8_t>(colour.blue >> 8)};
  }
  return colours;
}

RgbImage rgbOf(Display* display, XImage* image, const XWindowAttributes& root) {
  if (indexesAColourMap(root.visual)) {
    const std::unordered_map<unsigned long, Colour> colours =
        colourMapColours(display, root.colormap, image);
    return rgbOf(image, [&](unsigned long pixel) { return colours.at(pixel); });
  }
  const Channel red(root.visual->red_mask);
  const Channel green(root.visual->green_mask);
  const Channel blue(root.visual->blue_mask);
  return rgbOf(image, [&](unsigned long pixel) {
    return Colour{red.of(pixel), green.of(pixel), blue.of(pixel)};
  });
}

// Paints black what shows of the windows of `excluded` on `image`, whose
// top-left corner is at (`left`, `top`) of the root.
void leaveOut(Display* display, Window root, const std::vector<ShareableApplication>& excluded,
              RgbImage& image, int left, int top) {
  if (excluded.empty()) return;
  std::set<std::string> classes;
  for (const ShareableApplication& application : excluded) {
    classes.insert(application.bundleIdentifier);
  }
  std::vector<StackedWindow> stacked;
  for (const X11TopLevelWindow& window : topLevelWindows(display, root)) {
    if (!window.viewable) continue;
    stacked.push_back({{window.x, window.y, window.width, window.height},
                       !window.wmClass.empty() && classes.count(window.wmClass) != 0});
  }
  for (const PixelRect& rect : blackedOut(stacked)) {
    paintBlack(image, {rect.x - left, rect.y - top, rect.width, rect.height});
  }
}

// Draws the pointer as the server shows it now, when it has XFixes.
void drawCurrentPointer(Display* display, RgbImage& image, int left, int top) {
  int event_base = 0;
  int error_base = 0;
  if (!XFixesQueryExtension(display, &event_base, &error_base)) return;
  XFixesCursorImage* cursor = XFixesGetCursorImage(display);
  if (cursor == nullptr) return;
  PointerImage pointer{cursor->width, cursor->height, {}};
  pointer.argb.reserve(static_cast<std::size_t>(cursor->width) * cursor->height);
  // Each pixel comes in a long, whatever its size, with 32 bits of ARGB.
  for (std::size_t i = 0; i < static_cast<std::size_t>(cursor->width) * cursor->height; ++i) {
    pointer.argb.push_back(static_cast<std::uint32_t>(cursor->pixels[i]));
  }
  drawPointer(image, pointer, cursor->x - cursor->xhot - left, cursor->y - cursor->yhot - top);
  XFree(cursor);
}

}  // namespace

ShareableContent X11ScreenCapture::shareableContent() {
  X11Display* display = display_.get();
  if (display == nullptr) {
    throw CaptureError("cannot open the X display \"" + X11Display::name() + "\"");
  }
  monitors_ = x11Monitors(display->handle(), display->root());
  ShareableContent content;
  for (const X11Monitor& monitor : monitors_) {
    content.displays.push_back(
        {static_cast<DisplayID>(monitor.name), monitor.width, monitor.height});
  }
  std::set<std::string> listed;
  for (const X11TopLevelWindow& window : topLevelWindows(display->handle(), display->root())) {
    if (!window.viewable || window.wmClass.empty()) continue;
    if (listed.insert(window.wmClass).second) content.applications.push_back({window.wmClass});
  }
  // Windows that went away while they were looked at cost errors that are
  // no failure of the next request.
  display->sync();
  return content;
}

DisplayID X11ScreenCapture::mainDisplayID() {
  const X11Monitor* main = mainMonitor(monitors_);
  return main != nullptr ? static_cast<DisplayID>(main->name) : 0;
}

ContentFilter X11ScreenCapture::contentFilter(const ShareableDisplay& display,
                                              const std::vector<ShareableApplication>& excluded) {
  return {display, excluded, 1};
}

RgbImage X11ScreenCapture::captureImage(const ContentFilter& filter,
                                        const StreamConfiguration& configuration) {
  X11Display* display = display_.get();
  const auto monitor = std::find_if(monitors_.begin(), monitors_.end(), [&](const X11Monitor& m) {
    return static_cast<DisplayID>(m.name) == filter.display.displayID;
  });
  if (display == nullptr || monitor == monitors_.end()) {
    throw CaptureError("the display is no longer there");
  }
  if (configuration.width < 1 || configuration.height < 1 ||
      configuration.width > kMostPixels / configuration.height) {
    throw CaptureError("cannot make an image of " + std::to_string(configuration.width) + " x " +
                       std::to_string(configuration.height) + " pixels");
  }

  // The rectangle on the root, as far as it lies on the screen, and the
  // whole pixels that hold it.
  const Rect source = configuration.sourceRect.value_or(
      Rect{0, 0, static_cast<double>(monitor->width), static_cast<double>(monitor->height)});
  const double left = std::max(monitor->x + source.x, 0.0);
  const double top = std::max(monitor->y + source.y, 0.0);
  const double right =
      std::min(monitor->x + source.x + source.width, static_cast<double>(display->width()));
  const double bottom =
      std::min(monitor->y + source.y + source.height, static_cast<double>(display->height()));
  if (!(right > left && bottom > top)) throw CaptureError("the rectangle lies off the screen");
  const int x = static_cast<int>(std::floor(left));
  const int y = static_cast<int>(std::floor(top));
  const auto width = static_cast<unsigned>(std::ceil(right) - x);
  const auto height = static_cast<unsigned>(std::ceil(bottom) - y);

  Display* handle = display->handle();
  XWindowAttributes root;
  XImage* image = nullptr;
  if (XGetWindowAttributes(handle, display->root(), &root)) {
    image = XGetImage(handle, display->root(), x, y, width, height, AllPlanes, ZPixmap);
  }
  if (image == nullptr) {
    display->sync();
    throw CaptureError("cannot read the pixels of the X display \"" + X11Display::name() + "\"");
  }
  RgbImage pixels = rgbOf(handle, image, root);
  XDestroyImage(image);

  leaveOut(handle, display->root(), filter.excludedApplications, pixels, x, y);
  if (configuration.showsCursor) drawCurrentPointer(handle, pixels, x, y);
  display->sync();
  return areaAveraged(pixels, {left - x, top - y, right - left, bottom - top}, configuration.width,
                      configuration.height);
}

}  // namespace mivo::platform
